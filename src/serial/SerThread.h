// The event thread of an open TSerial and the state it shares with its component. The thread
// owns what it uses (shared pointers), so closing or destroying the component never leaves it on
// freed memory; it ends by itself once its session is terminated and its wait returns.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "common/Dispatcher.h"
#include "serial/RunningHandlers.h"
#include "serial/Serial.h"

namespace pzam::serial {

// What a component shares with its event threads for its whole life.
struct TSerialShared {
  std::mutex Mutex;
  TSerial* Owner = nullptr;  // none once the component is destroyed
  std::array<TSerialEvent, kSerialEventCount> Handlers;
  THandlerErrorEvent OnHandlerError;
  TRunningHandlers Running;  // threads running a dispatch of this component
  std::atomic<bool> EnableEvents{true};
  std::atomic<bool> SyncEventHandling{false};
  std::atomic<bool> SyncWait{true};
  std::atomic<int> DataSize{0};
  IDispatcher* Dispatcher = nullptr;
};

// One opening of a port: its handle and whether it has been closed or removed.
struct TPortSession {
  TPortSession(comm::ICommApi& api, comm::HANDLE handle) : Api(api), Handle(handle) {}
  void Terminate();
  bool Terminated() const { return FTerminated.load(); }
  // Sleeps up to `d` unless the session is terminated meanwhile.
  void Pause(std::chrono::milliseconds d);

  comm::ICommApi& Api;
  const comm::HANDLE Handle;

 private:
  std::atomic<bool> FTerminated{false};
  std::mutex FMutex;
  std::condition_variable FWake;
};

class TSerThread {
 public:
  // Starts a detached event thread that waits on the session and dispatches to the component.
  static void Start(std::shared_ptr<TSerialShared> shared, std::shared_ptr<TPortSession> session,
                    TThreadPriority priority);
};

// Starts a detached thread with the priority, counted among the event threads until body ends.
void StartPortThread(std::function<void()> body, TThreadPriority priority);
// The pause after a failed wait: a dead line costs no CPU.
inline constexpr std::chrono::milliseconds kRetryPause{50};

// Number of event threads still running.
int RunningEventThreads();
// Waits until every event thread has ended; false when some still run after the time-out.
bool WaitForEventThreads(std::chrono::milliseconds timeout);

}  // namespace pzam::serial
