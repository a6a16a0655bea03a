// The Win32 comm backend, the serial component on it and the port watch's window, under Wine on
// a pseudo-terminal mapped as COM5 (scripts/test-windows.sh sets it up; ptyline.c is the line's
// other end). Each "READY" line asks ptyline for the four telegrams; each session answers "STO0\r".
// Ends with "N passed, M failed"; exit code 0 when nothing failed.
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "serial/COMManager.h"
#include "serial/PortWatch.h"
#include "serial/SerThread.h"
#include "serial/Serial.h"
#include "serial/comm/PortNames.h"
#include "serial/comm/WinCommApi.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::vector<std::string> kTelegrams = {"+0012.345\r", "-0001.250\r", "+0013.100\r",
                                             "+0000.001\r"};
int gPassed = 0, gFailed = 0;

void Check(bool ok, const std::string& what) {
  std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what.c_str());
  std::fflush(stdout);
  ++(ok ? gPassed : gFailed);
}

void Ready() {
  std::printf("READY\n");
  std::fflush(stdout);
}

long long MsSince(Clock::time_point t) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - t).count();
}

// The backend's calls as the component makes them, on COM5.
void BackendSession() {
  using namespace pzam::comm;
  TWinCommApi api;
  const HANDLE absent =
      api.CreateFile("COM42", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, FILE_FLAG_OVERLAPPED);
  Check(absent == INVALID_HANDLE_VALUE && api.GetLastError() == ERROR_FILE_NOT_FOUND &&
            !api.LastErrorText().empty(),
        "an absent port fails with ERROR_FILE_NOT_FOUND and the system's words");
  const HANDLE h = api.CreateFile("COM5", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
  Check(h != INVALID_HANDLE_VALUE, "COM5 opens");
  if (h == INVALID_HANDLE_VALUE) return;
  DCB dcb;
  const bool built = api.BuildCommDCB("baud=9600 parity=N data=8 stop=1", dcb);
  Check(built && dcb.BaudRate == 9600 && dcb.ByteSize == 8, "BuildCommDCB reads the mode text");
  dcb.EvtChar = '\r';
  COMMTIMEOUTS timeouts;
  timeouts.ReadIntervalTimeout = 50;
  timeouts.ReadTotalTimeoutConstant = 50;
  Check(api.SetupComm(h, 4096, 2048) && api.SetCommState(h, dcb) &&
            api.SetCommTimeouts(h, timeouts) && api.SetCommMask(h, EV_RXFLAG),
        "queues, state with event character CR, time-outs and mask EV_RXFLAG are set");
  Ready();
  std::vector<std::string> texts;
  int others = 0;
  const auto start = Clock::now();
  // Ends a wait that no event ends, so that a missing event fails the check instead of hanging.
  std::mutex mutex;
  std::condition_variable doneChanged;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock lock(mutex);
    if (!doneChanged.wait_for(lock, milliseconds(10000), [&] { return done; }))
      api.SetCommMask(h, EV_RXFLAG);
  });
  while (texts.size() < kTelegrams.size() && MsSince(start) < 10000) {
    uint32_t events = 0;
    if (!api.WaitCommEvent(h, events, nullptr)) break;
    uint32_t errors = 0;
    COMSTAT stat;
    api.ClearCommError(h, errors, &stat);
    std::string text(stat.cbInQue, '\0');
    OVERLAPPED ov;
    uint32_t read = 0;
    if (!api.ReadFile(h, text.data(), stat.cbInQue, read, &ov) &&
        api.GetLastError() == ERROR_IO_PENDING)
      api.GetOverlappedResult(h, &ov, read, true);
    text.resize(read);
    if (events == EV_RXFLAG) {
      texts.push_back(text);
    } else {
      ++others;
    }
  }
  {
    std::lock_guard lock(mutex);
    done = true;
  }
  doneChanged.notify_all();
  watchdog.join();
  Check(texts.size() == kTelegrams.size() && others == 0,
        "one EV_RXFLAG and nothing else for each telegram");
  Check(texts == kTelegrams, "each EV_RXFLAG's read gives its telegram's bytes");
  OVERLAPPED ov;
  uint32_t written = 0, completed = 0;
  const bool wrote = api.WriteFile(h, "STO0\r", 5, written, &ov);
  Check(
      wrote && written == 5 && api.GetOverlappedResult(h, &ov, completed, false) && completed == 5,
      "a write goes out and its record holds the count");

  // What wakes a pending wait: a new mask (no events), closing (the wait fails).
  struct TWake {
    const char* name;
    std::function<void()> wake;
    bool expectOk;
  };
  const TWake wakes[] = {
      {"a new mask", [&] { api.SetCommMask(h, EV_RXFLAG); }, true},
      {"closing", [&] { api.CloseHandle(h); }, false},
  };
  for (const TWake& w : wakes) {
    bool ok = !w.expectOk;
    uint32_t events = 0xFFFF;
    Clock::time_point woke;
    std::thread waiter([&] {
      ok = api.WaitCommEvent(h, events, nullptr);
      woke = Clock::now();
    });
    std::this_thread::sleep_for(milliseconds(300));
    const auto asked = Clock::now();
    w.wake();
    waiter.join();
    const auto after = std::chrono::duration_cast<milliseconds>(woke - asked).count();
    Check(ok == w.expectOk && (!ok || events == 0) && after >= 0 && after < 1000,
          std::string(w.name) + " wakes a pending wait (" + std::to_string(after) + " ms)");
  }
}

// The probe answers from a set, so that broadcasts can change the port list.
class TProbeApi : public pzam::comm::TWinCommApi {
 public:
  std::set<int> Present;
  bool GetDefaultCommConfig(const std::string& name, pzam::comm::COMMCONFIG* config,
                            uint32_t& size) override {
    if (!Present.count(pzam::comm::PortNumberFromName(name))) return false;
    *config = pzam::comm::COMMCONFIG{};
    size = sizeof(pzam::comm::COMMCONFIG);
    return true;
  }
};

class TQueue : public pzam::IDispatcher {
 public:
  void Post(std::function<void()> fn) override {
    std::lock_guard lock(FMutex);
    FQueue.push_back(std::move(fn));
  }
  void Send(std::function<void()> fn) override { fn(); }
  void RunAll() {
    for (;;) {
      std::function<void()> fn;
      {
        std::lock_guard lock(FMutex);
        if (FQueue.empty()) return;
        fn = std::move(FQueue.front());
        FQueue.pop_front();
      }
      fn();
    }
  }

 private:
  std::mutex FMutex;
  std::deque<std::function<void()>> FQueue;
};

// The serial component with an event-character handler, as the main window uses it.
void ComponentSession() {
  pzam::comm::TWinCommApi api;
  pzam::serial::TCOMManager manager(api, 9);
  pzam::serial::TSerial serial(api, manager, nullptr);
  serial.SetCOMPortUnchecked(5);
  serial.SetEventChar('\r');
  std::mutex mutex;
  std::vector<std::string> texts;
  serial.SetOnEventChar([&](pzam::serial::TSerial& s) {
    std::this_thread::sleep_for(milliseconds(200));  // the main window's pause before reading
    std::string text = s.ReadText();
    std::lock_guard lock(mutex);
    texts.push_back(text);
  });
  Check(serial.OpenPort(), "the component opens COM5 with an event-character handler");
  if (!serial.Active()) return;
  Ready();
  const auto start = Clock::now();
  for (bool done = false; !done && MsSince(start) < 10000;) {
    std::this_thread::sleep_for(milliseconds(20));
    std::lock_guard lock(mutex);
    done = texts.size() >= kTelegrams.size();
  }
  std::this_thread::sleep_for(milliseconds(500));  // no events after the last telegram
  {
    // How the bytes split between reads depends on timing (a slow handler reads part of the
    // next telegram, as on Windows); every byte comes once, in order.
    std::lock_guard lock(mutex);
    std::string all, expected;
    for (const auto& t : texts) all += t;
    for (const auto& t : kTelegrams) expected += t;
    Check(texts.size() == kTelegrams.size(), "the handler runs once per telegram");
    Check(all == expected, "the handler's reads give every byte once, in order");
  }
  Check(serial.WriteText("STO0\r") == 5, "the component's answer goes out");
  serial.ClosePort();
  Check(pzam::serial::WaitForEventThreads(std::chrono::seconds(2)),
        "closing ends the event thread");
}

}  // namespace

// After the project's headers, whose names windows.h's macros would rename.
#include <windows.h>
// After windows.h, whose types it needs.
#include <dbt.h>

namespace {

// Runs the thread's messages and the dispatcher's queue until done() or the time is up.
bool Pump(TQueue& queue, const std::function<bool()>& done, int ms) {
  const auto until = Clock::now() + milliseconds(ms);
  while (!done() && Clock::now() < until) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    queue.RunAll();
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return done();
}

// A device-change broadcast as the system sends it, from another thread.
void Broadcast(WPARAM change, DWORD type, const wchar_t* name) {
  std::thread([=] {
    struct {
      DEV_BROADCAST_PORT_W Header;
      wchar_t More[16];
    } port{};
    port.Header.dbcp_size = sizeof port;
    port.Header.dbcp_devicetype = type;
    wcsncpy(port.Header.dbcp_name, name, 16);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_DEVICECHANGE, change, reinterpret_cast<LPARAM>(&port),
                        SMTO_ABORTIFHUNG, 3000, &result);
  }).detach();
}

void WatchSession() {
  TProbeApi probe;
  pzam::serial::TCOMManager manager(probe, 9);
  TQueue queue;
  int arrivals = 0, removals = 0;
  manager.SetOnCOMArrival([&](pzam::serial::TCOMManager&) { ++arrivals; });
  manager.SetOnCOMRemoval([&](pzam::serial::TCOMManager&) { ++removals; });
  pzam::serial::TPortWatch watch(manager, queue, probe);
  Check(watch.Watching() && watch.Fd() == -1, "the port watch has its window (needs a display)");
  struct TStep {
    const char* name;
    std::set<int> present;
    WPARAM change;
    DWORD type;
    int arrivals, removals;
    std::set<int> listed;
  };
  const TStep steps[] = {
      {"a port arrives", {3}, DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, 1, 0, {3}},
      {"a volume arrives", {3, 4}, DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, 1, 0, {3}},
      {"a port is removed", {4}, DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_PORT, 1, 1, {4}},
  };
  for (const TStep& s : steps) {
    probe.Present = s.present;
    Broadcast(s.change, s.type, L"COM3");
    // A change that must not reach the manager is given its time in full.
    const bool heard = s.type == DBT_DEVTYP_PORT;
    Pump(
        queue, [&] { return heard && arrivals == s.arrivals && removals == s.removals; },
        heard ? 3000 : 500);
    std::set<int> listed;
    for (int i = 0; i < manager.Count(); ++i) listed.insert(manager.PortNumber(i));
    Check(arrivals == s.arrivals && removals == s.removals && listed == s.listed,
          std::string(s.name) + ": the manager hears it through the message loop");
  }
}

}  // namespace

int main() {
  BackendSession();
  ComponentSession();
  WatchSession();
  std::printf("%d passed, %d failed\n", gPassed, gFailed);
  return gFailed == 0 ? 0 : 1;
}
