#include "common/EventLoop.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <vector>

namespace pzam {

namespace {

// The self-pipe of the process's signals: the handler writes the signal number, the loop reads.
std::atomic<int> gSignalWriteFd{-1};
int gSignalReadFd = -1;

extern "C" void OnSignalCaught(int signo) {
  const int saved = errno;
  const unsigned char byte = static_cast<unsigned char>(signo);
  if (const int fd = gSignalWriteFd.load(); fd >= 0) {
    [[maybe_unused]] ssize_t n = ::write(fd, &byte, 1);
  }
  errno = saved;
}

std::map<int, struct sigaction>& SavedActions() {
  static std::map<int, struct sigaction> saved;
  return saved;
}

}  // namespace

TEventLoop::TEventLoop() : FThread(std::this_thread::get_id()) {
  FWakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TEventLoop::~TEventLoop() {
  for (auto& [signo, action] : SavedActions()) ::sigaction(signo, &action, nullptr);
  SavedActions().clear();
  if (gSignalReadFd >= 0 && !FSignals.empty()) {
    const int writeFd = gSignalWriteFd.exchange(-1);
    ::close(writeFd);
    ::close(gSignalReadFd);
    gSignalReadFd = -1;
  }
  {
    std::lock_guard lock(FMutex);
    FQuit = true;
    FPosted.clear();
  }
  FSent.notify_all();
  if (FWakeFd >= 0) ::close(FWakeFd);
}

void TEventLoop::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(FWakeFd, &one, sizeof one);
}

void TEventLoop::Post(TCallback fn) {
  {
    std::lock_guard lock(FMutex);
    FPosted.push_back(std::move(fn));
  }
  Wake();
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

void TEventLoop::Watch(int fd, TCallback onReadable) {
  FWatches[fd] = std::move(onReadable);
}

void TEventLoop::Unwatch(int fd) {
  FWatches.erase(fd);
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
  if (gSignalReadFd < 0) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    gSignalReadFd = fds[0];
    gSignalWriteFd = fds[1];
  }
  FSignals[signo] = std::move(fn);
  struct sigaction action {};
  action.sa_handler = &OnSignalCaught;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  struct sigaction old {};
  ::sigaction(signo, &action, &old);
  SavedActions().emplace(signo, old);
}

void TEventLoop::Quit() {
  {
    std::lock_guard lock(FMutex);
    FQuit = true;
  }
  FSent.notify_all();
  Wake();
}

void TEventLoop::RunPosted() {
  std::uint64_t count;
  [[maybe_unused]] ssize_t n = ::read(FWakeFd, &count, sizeof count);
  std::deque<TCallback> work;
  {
    std::lock_guard lock(FMutex);
    work.swap(FPosted);
  }
  for (TCallback& fn : work) fn();
}

void TEventLoop::RunSignals() {
  unsigned char buf[64];
  ssize_t n;
  while ((n = ::read(gSignalReadFd, buf, sizeof buf)) > 0) {
    for (ssize_t i = 0; i < n; ++i) {
      auto it = FSignals.find(buf[i]);
      if (it != FSignals.end()) {
        TCallback fn = it->second;  // a copy: fn may replace the handler
        fn();
      }
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
  while (true) {
    {
      std::lock_guard lock(FMutex);
      if (FQuit) return;
    }
    const int timeout = RunDueTimers();
    std::vector<pollfd> fds{{FWakeFd, POLLIN, 0}};
    const bool signals = !FSignals.empty() && gSignalReadFd >= 0;
    if (signals) fds.push_back({gSignalReadFd, POLLIN, 0});
    for (const auto& [fd, fn] : FWatches) fds.push_back({fd, POLLIN, 0});
    const int ready = ::poll(fds.data(), fds.size(), timeout);
    if (ready < 0 && errno != EINTR) return;
    if (ready <= 0) continue;
    // Signals and posted work first: they may quit or change the watches.
    if (signals && fds[1].revents) RunSignals();
    if (fds[0].revents) RunPosted();
    for (std::size_t i = signals ? 2 : 1; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      {
        std::lock_guard lock(FMutex);
        if (FQuit) return;
      }
      auto it = FWatches.find(fds[i].fd);
      if (it == FWatches.end()) continue;  // unwatched meanwhile
      TCallback fn = it->second;
      fn();
    }
  }
}

}  // namespace pzam
