#include "serial/PortWatch.h"

#include "serial/comm/PortNames.h"

namespace pzam::serial {

TPortWatch::TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::TPosixCommApi& api)
    : manager_(manager), api_(api) {
  api_.SetHangupCallback([&manager, &dispatcher, alive = alive_](const std::string& portName) {
    const int number = comm::PortNumberFromName(portName);
    dispatcher.Post([&manager, alive, number] {
      if (*alive && number > 0) manager.PortHungUp(number);
    });
  });
}

TPortWatch::~TPortWatch() {
  api_.SetHangupCallback(nullptr);
  *alive_ = false;
}

void TPortWatch::OnReadable() {
  // One rescan per kind of change is enough however many devices changed at once.
  bool arrived = false, removed = false;
  monitor_.Drain([&](comm::TTtyMonitor::TChange change, const std::string&) {
    (change == comm::TTtyMonitor::TChange::Arrival ? arrived : removed) = true;
  });
  if (removed) manager_.PortDeviceChanged(false);
  if (arrived) manager_.PortDeviceChanged(true);
}

}  // namespace pzam::serial
