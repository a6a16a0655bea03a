// A window thread for the command-line tools: a poll loop that runs posted work in order, calls
// back when watched descriptors (stdin, the udev monitor) become readable, runs timers and turns
// signals into work on the loop. It sleeps in poll between events, never spins.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "common/Dispatcher.h"

namespace pzam {

class TEventLoop : public IDispatcher {
 public:
  using TCallback = std::function<void()>;

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
  // or unwatch, else it is called again.
  void Watch(int fd, TCallback onReadable);
  void Unwatch(int fd);
  // Loop thread only. fn runs every interval until the timer is removed; returns its id.
  int AddTimer(std::chrono::milliseconds interval, TCallback fn);
  void RemoveTimer(int id);
  // Loop thread only. fn runs on the loop after the signal arrived (one loop per process may
  // take signals; the previous disposition comes back when the loop is destroyed).
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
  void RunPosted();
  void RunSignals();
  int RunDueTimers();
  void Wake();

  std::thread::id FThread;
  int FWakeFd = -1;  // eventfd: posted work or quit
  std::mutex FMutex;
  std::condition_variable FSent;
  std::deque<TCallback> FPosted;
  bool FQuit = false;
  std::map<int, TCallback> FWatches;
  std::map<int, TTimer> FTimers;
  int FNextTimer = 1;
  std::map<int, TCallback> FSignals;
};

}  // namespace pzam
