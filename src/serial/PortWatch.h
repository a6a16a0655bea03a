// Feeds the port manager from the platform: arrivals and removals of serial port devices, and
// (Linux) hang-ups of open lines as the removal of their port. Everything reaches the manager on
// the window thread.
//
// Linux (PortWatch.cpp): a libudev monitor; the owner's event loop watches Fd() and calls
// OnReadable(). Hang-ups, which the POSIX backend reports on a thread of its own, are posted
// through the dispatcher.
// Windows (PortWatchWin.cpp): a hidden top-level window receives the system's WM_DEVICECHANGE
// broadcasts through the window thread's message loop (a message-only window would get none);
// changes of ports are posted through the dispatcher. Fd() is -1.
#pragma once

#include <memory>

#include "common/Dispatcher.h"
#include "serial/COMManager.h"
#include "serial/comm/CommApi.h"

namespace pzam::serial {

class TPortWatch {
 public:
  // Create and destroy on the window thread; manager, dispatcher and api must outlive this
  // object.
  TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::ICommApi& api);
  ~TPortWatch();
  TPortWatch(const TPortWatch&) = delete;
  TPortWatch& operator=(const TPortWatch&) = delete;

  // Whether arrivals and removals will be noticed (udev, or the window, could be set up).
  bool Watching() const;
  // The descriptor to watch for reading; -1 when there is none to watch.
  int Fd() const;
  // Hands the waiting arrivals and removals to the manager; never blocks.
  void OnReadable();

 private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

}  // namespace pzam::serial
