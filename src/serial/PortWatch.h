// Feeds the port manager from the platform on Linux: arrivals and removals of tty devices from
// the libudev monitor, and hang-ups of open lines as the removal of their port. Everything
// reaches the manager on the window thread: the owner's event loop watches Fd() and calls
// OnReadable(); hang-ups, reported on a thread of the backend, are posted through the dispatcher.
#pragma once

#include <memory>

#include "common/Dispatcher.h"
#include "serial/COMManager.h"
#include "serial/comm/PosixCommApi.h"
#include "serial/comm/TtyMonitor.h"

namespace pzam::serial {

class TPortWatch {
 public:
  // Create and destroy on the window thread; manager and dispatcher must outlive this object.
  TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::TPosixCommApi& api);
  ~TPortWatch();
  TPortWatch(const TPortWatch&) = delete;
  TPortWatch& operator=(const TPortWatch&) = delete;

  // The descriptor to watch for reading; -1 when udev is not available.
  int Fd() const { return FMonitor.Fd(); }
  // Hands the waiting arrivals and removals to the manager; never blocks.
  void OnReadable();

 private:
  TCOMManager& FManager;
  comm::TPosixCommApi& FApi;
  comm::TTtyMonitor FMonitor;
  // Read and cleared on the window thread only: posted hang-ups after destruction are dropped.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

}  // namespace pzam::serial
