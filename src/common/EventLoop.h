// A window thread for the command-line tools: a loop that runs posted work in order, calls back
// when watched descriptors (the udev monitor) become readable, hands on standard input, runs timers
// and turns signals (on Windows the console's events) into work on the loop. It sleeps between
// events (platform/LoopWait.h), never spins; on Windows it dispatches the thread's window messages.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string_view>
#include <thread>

#include "common/Dispatcher.h"

namespace pzam::platform {
class TLoopWait;
}

namespace pzam {

class TEventLoop : public IDispatcher {
 public:
  using TCallback = std::function<void()>;
  using TInputCallback = std::function<void(std::string_view chunk)>;

  // The thread that creates the loop is its window thread (the one that calls Run).
  TEventLoop();
  ~TEventLoop() override;
  TEventLoop(const TEventLoop&) = delete;
  TEventLoop& operator=(const TEventLoop&) = delete;

  // Any thread; never blocks.
  void Post(TCallback fn) override;
  // From the loop thread: runs fn at once. From another thread: posts it and waits until it has
  // run; false (and fn dropped) when the loop quits or is destroyed first.
  void Send(TCallback fn) override;
  bool SendOrDrop(TCallback fn);

  // Loop thread only. onReadable runs on the loop while fd is readable (or hung up); it must read
  // or unwatch, else it is called again. False (nothing watched) where the system cannot wait for
  // descriptors (Windows).
  bool Watch(int fd, TCallback onReadable);
  void Unwatch(int fd);
  // Loop thread only, once. onInput runs on the loop with each chunk read from standard input (a
  // console, a pipe or a file), then once with an empty chunk at its end or on a read error. Stdin
  // is watched where the system can (POSIX); elsewhere a reader thread posts what it reads.
  void WatchInput(TInputCallback onInput);
  // Loop thread only. fn runs every interval until the timer is removed; returns its id.
  int AddTimer(std::chrono::milliseconds interval, TCallback fn);
  void RemoveTimer(int id);
  // Loop thread only. fn runs on the loop after the signal arrived (one loop per process may
  // take signals; the previous disposition comes back when the loop is destroyed). On Windows
  // SIGINT and SIGTERM come from the console (platform/Signals.h).
  void OnSignal(int signo, TCallback fn);

  // Runs until Quit; returns at once when Quit came before.
  void Run();
  // Any thread.
  void Quit();
  bool InLoopThread() const { return std::this_thread::get_id() == FThread; }

 private:
  struct TTimer {
    std::chrono::milliseconds Interval;
    std::chrono::steady_clock::time_point Due;
    TCallback Fn;
  };
  struct TInputReader;
  bool Quitting();
  void RunPosted();
  void RunSignals();
  int RunDueTimers();

  std::thread::id FThread;
  std::unique_ptr<platform::TLoopWait> FWait;  // woken by posted work, quit and signals
  std::mutex FMutex;
  std::condition_variable FSent;
  std::deque<TCallback> FPosted;
  bool FQuit = false;
  std::map<int, TCallback> FWatches;
  std::map<int, TTimer> FTimers;
  int FNextTimer = 1;
  std::map<int, TCallback> FSignals;
  std::shared_ptr<TInputReader> FInputReader;  // shared with the reader thread, where there is one
};

}  // namespace pzam
