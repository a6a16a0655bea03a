// The threads running a component's event handlers at this moment. A handler holds the component
// as its sender, so destroying the component waits until they are done.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace pzam::serial {

// Every call is made with the component's shared mutex held.
class TRunningHandlers {
 public:
  void Enter() { FThreads.push_back(std::this_thread::get_id()); }
  void Leave() {
    FThreads.erase(std::find(FThreads.begin(), FThreads.end(), std::this_thread::get_id()));
    FDone.notify_all();
  }
  // Waits until no other thread runs a handler; the calling thread itself may be one (the
  // component destroyed from inside its own handler).
  void WaitForOthers(std::unique_lock<std::mutex>& lock) {
    const auto self = std::this_thread::get_id();
    FDone.wait(lock, [&] {
      return std::all_of(FThreads.begin(), FThreads.end(),
                         [&](std::thread::id id) { return id == self; });
    });
  }

 private:
  std::vector<std::thread::id> FThreads;
  std::condition_variable FDone;
};

// One pass of a component's handlers, `body(component)`, on whichever thread runs it: skipped when
// the component is gone or the port's session has ended. An error out of a handler goes to
// OnHandlerError and does not end the thread. `shared` is what the component shares with its
// threads: Mutex, Owner, Running and OnHandlerError.
template <class TShared, class TSession, class TBody>
void RunHandlerPass(TShared& shared, const TSession& session, TBody&& body) {
  decltype(shared.Owner) owner = nullptr;
  {
    std::lock_guard lock(shared.Mutex);
    if (!shared.Owner || session.Terminated()) return;
    owner = shared.Owner;
    shared.Running.Enter();
  }
  std::optional<std::string> error;
  try {
    body(*owner);
  } catch (const std::exception& e) {
    error = e.what();
  } catch (...) {
    error = "unknown error in a serial event handler";
  }
  if (error) {
    decltype(shared.OnHandlerError) report;
    {
      std::lock_guard lock(shared.Mutex);
      report = shared.OnHandlerError;
    }
    if (report) {
      try {
        report(*owner, *error);
      } catch (...) {
        // Nothing is left to tell it to.
      }
    }
  }
  std::lock_guard lock(shared.Mutex);
  shared.Running.Leave();
}

}  // namespace pzam::serial
