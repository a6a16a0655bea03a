#include "serial/SerThread.h"

#include "serial/ThreadPriority.h"

namespace pzam::serial {
namespace {

std::mutex gThreadsMutex;
std::condition_variable gThreadsDone;
int gThreads = 0;

// One dispatch, on whichever thread runs it.
void RunDispatch(TSerialShared& shared, const TPortSession& session, uint32_t mask) {
  RunHandlerPass(shared, session, [mask](TSerial& owner) { owner.DispatchEvents(mask); });
}

void Body(const std::shared_ptr<TSerialShared>& shared,
          const std::shared_ptr<TPortSession>& session) {
  while (!session->Terminated()) {
    uint32_t mask = 0;
    if (!session->Api.WaitCommEvent(session->Handle, mask, nullptr)) {
      session->Pause(kRetryPause);
      continue;
    }
    if (session->Terminated()) break;
    if (mask == 0) continue;
    if (shared->SyncEventHandling && shared->Dispatcher) {
      shared->Dispatcher->Send([shared, session, mask] { RunDispatch(*shared, *session, mask); });
    } else {
      RunDispatch(*shared, *session, mask);
    }
  }
}

}  // namespace

void TPortSession::Terminate() {
  {
    std::lock_guard lock(FMutex);
    FTerminated = true;
  }
  FWake.notify_all();
}

void TPortSession::Pause(std::chrono::milliseconds d) {
  std::unique_lock lock(FMutex);
  FWake.wait_for(lock, d, [&] { return FTerminated.load(); });
}

void StartPortThread(std::function<void()> body, TThreadPriority priority) {
  {
    std::lock_guard lock(gThreadsMutex);
    ++gThreads;
  }
  std::thread([body = std::move(body), priority]() mutable {
    ApplyThreadPriority(priority);
    body();
    body = nullptr;  // what the body holds goes before the thread counts as ended
    std::lock_guard lock(gThreadsMutex);
    --gThreads;
    gThreadsDone.notify_all();
  }).detach();
}

void TSerThread::Start(std::shared_ptr<TSerialShared> shared, std::shared_ptr<TPortSession> session,
                       TThreadPriority priority) {
  StartPortThread([shared, session] { Body(shared, session); }, priority);
}

int RunningEventThreads() {
  std::lock_guard lock(gThreadsMutex);
  return gThreads;
}

bool WaitForEventThreads(std::chrono::milliseconds timeout) {
  std::unique_lock lock(gThreadsMutex);
  return gThreadsDone.wait_for(lock, timeout, [] { return gThreads == 0; });
}

}  // namespace pzam::serial
