#include "common/EventLoop.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <vector>

#include "platform/LoopWait.h"
#include "platform/Signals.h"

namespace pzam {

namespace {

// Signals caught and not yet run, counted per number by the notify, which also wakes the loop
// that takes them. Lock-free atomics only: a POSIX notify runs in the signal handler.
constexpr int kSignalCount = 65;
std::array<std::atomic<unsigned>, kSignalCount> gCaught{};
std::atomic<platform::TLoopWait*> gSignalWait{nullptr};

void OnSignalCaught(int signo) {
  if (signo <= 0 || signo >= kSignalCount) return;
  gCaught[signo].fetch_add(1);
  if (platform::TLoopWait* wait = gSignalWait.load()) wait->Wake();
}

}  // namespace

// What the reader thread of standard input shares with its loop: the loop goes away first.
struct TEventLoop::TInputReader {
  std::mutex Mutex;
  TEventLoop* Loop = nullptr;
};

TEventLoop::TEventLoop()
    : FThread(std::this_thread::get_id()), FWait(std::make_unique<platform::TLoopWait>()) {}

TEventLoop::~TEventLoop() {
  for (const auto& [signo, fn] : FSignals) platform::ReleaseSignal(signo);
  if (!FSignals.empty()) gSignalWait = nullptr;
  if (FInputReader) {
    std::lock_guard lock(FInputReader->Mutex);
    FInputReader->Loop = nullptr;
  }
  {
    std::lock_guard lock(FMutex);
    FQuit = true;
    FPosted.clear();
  }
  FSent.notify_all();
}

void TEventLoop::Post(TCallback fn) {
  {
    std::lock_guard lock(FMutex);
    FPosted.push_back(std::move(fn));
  }
  FWait->Wake();
}

void TEventLoop::Send(TCallback fn) {
  SendOrDrop(std::move(fn));
}

bool TEventLoop::SendOrDrop(TCallback fn) {
  if (InLoopThread()) {
    fn();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  Post([this, fn = std::move(fn), done] {
    fn();
    std::lock_guard lock(FMutex);
    *done = true;
    FSent.notify_all();
  });
  std::unique_lock lock(FMutex);
  FSent.wait(lock, [&] { return *done || FQuit; });
  return *done;
}

bool TEventLoop::Watch(int fd, TCallback onReadable) {
  if (!platform::TLoopWait::WatchesDescriptors()) return false;
  FWatches[fd] = std::move(onReadable);
  return true;
}

void TEventLoop::Unwatch(int fd) {
  FWatches.erase(fd);
}

void TEventLoop::WatchInput(TInputCallback onInput) {
  const bool watched = Watch(platform::kStandardInput, [this, onInput] {
    char buf[512];
    const long n = platform::ReadStandardInput(buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
      Unwatch(platform::kStandardInput);
      return onInput({});
    }
    onInput(std::string_view(buf, static_cast<std::size_t>(n)));
  });
  if (watched) return;
  // A thread that waits in the read, as long as the process lives (a read from a console cannot be
  // called off); what it reads reaches the loop as posted work.
  FInputReader = std::make_shared<TInputReader>();
  FInputReader->Loop = this;
  std::thread([reader = FInputReader, onInput] {
    char buf[512];
    for (bool end = false; !end;) {
      const long n = platform::ReadStandardInput(buf, sizeof buf);
      if (n < 0 && errno == EINTR) continue;
      end = n <= 0;
      std::string chunk(buf, end ? 0 : static_cast<std::size_t>(n));
      std::lock_guard lock(reader->Mutex);
      if (reader->Loop == nullptr) return;
      reader->Loop->Post([onInput, chunk = std::move(chunk)] { onInput(chunk); });
    }
  }).detach();
}

int TEventLoop::AddTimer(std::chrono::milliseconds interval, TCallback fn) {
  const int id = FNextTimer++;
  FTimers[id] = {interval, std::chrono::steady_clock::now() + interval, std::move(fn)};
  return id;
}

void TEventLoop::RemoveTimer(int id) {
  FTimers.erase(id);
}

void TEventLoop::OnSignal(int signo, TCallback fn) {
  if (signo <= 0 || signo >= kSignalCount) return;
  if (FSignals.find(signo) == FSignals.end()) gCaught[signo] = 0;  // none from before this loop
  FSignals[signo] = std::move(fn);
  gSignalWait = FWait.get();
  platform::CatchSignal(signo, &OnSignalCaught);
}

void TEventLoop::Quit() {
  {
    std::lock_guard lock(FMutex);
    FQuit = true;
  }
  FSent.notify_all();
  FWait->Wake();
}

bool TEventLoop::Quitting() {
  std::lock_guard lock(FMutex);
  return FQuit;
}

void TEventLoop::RunPosted() {
  std::deque<TCallback> work;
  {
    std::lock_guard lock(FMutex);
    work.swap(FPosted);
  }
  for (TCallback& fn : work) fn();
}

void TEventLoop::RunSignals() {
  std::vector<int> caught;
  for (const auto& [signo, fn] : FSignals) caught.push_back(signo);
  for (int signo : caught) {
    for (unsigned n = gCaught[signo].exchange(0); n > 0; --n) {
      auto it = FSignals.find(signo);
      if (it == FSignals.end()) break;
      TCallback fn = it->second;  // a copy: fn may replace the handler
      fn();
    }
  }
}

int TEventLoop::RunDueTimers() {
  using namespace std::chrono;
  const auto now = steady_clock::now();
  std::vector<int> due;
  for (auto& [id, timer] : FTimers)
    if (timer.Due <= now) due.push_back(id);
  for (int id : due) {
    auto it = FTimers.find(id);
    if (it == FTimers.end()) continue;  // removed by an earlier timer
    it->second.Due = now + it->second.Interval;
    TCallback fn = it->second.Fn;
    fn();
  }
  int timeout = -1;
  const auto after = steady_clock::now();
  for (auto& [id, timer] : FTimers) {
    const auto left = duration_cast<milliseconds>(timer.Due - after).count() + 1;
    const int ms = left < 0 ? 0 : static_cast<int>(std::min<long long>(left, 1 << 30));
    if (timeout < 0 || ms < timeout) timeout = ms;
  }
  return timeout;
}

void TEventLoop::Run() {
  std::vector<int> fds, ready;
  while (true) {
    if (Quitting()) return;
    const int timeout = RunDueTimers();
    fds.clear();
    for (const auto& [fd, fn] : FWatches) fds.push_back(fd);
    if (!FWait->Wait(timeout, fds, ready)) return;
    // Signals and posted work first: they may quit or change the watches.
    if (!FSignals.empty()) RunSignals();
    RunPosted();
    for (int fd : ready) {
      if (Quitting()) return;
      auto it = FWatches.find(fd);
      if (it == FWatches.end()) continue;  // unwatched meanwhile
      TCallback fn = it->second;
      fn();
    }
  }
}

}  // namespace pzam
