#include "serial/PortWatch.h"

#include "serial/comm/PortNames.h"

namespace pzam::serial {

TPortWatch::TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::TPosixCommApi& api)
    : FManager(manager), FApi(api) {
  FApi.SetHangupCallback([&manager, &dispatcher, alive = FAlive](const std::string& portName) {
    const int number = comm::PortNumberFromName(portName);
    dispatcher.Post([&manager, alive, number] {
      if (*alive && number > 0) manager.PortHungUp(number);
    });
  });
}

TPortWatch::~TPortWatch() {
  FApi.SetHangupCallback(nullptr);
  *FAlive = false;
}

void TPortWatch::OnReadable() {
  // One rescan per kind of change is enough however many devices changed at once.
  bool arrived = false, removed = false;
  FMonitor.Drain([&](comm::TTtyMonitor::TChange change, const std::string&) {
    (change == comm::TTtyMonitor::TChange::Arrival ? arrived : removed) = true;
  });
  if (removed) FManager.PortDeviceChanged(false);
  if (arrived) FManager.PortDeviceChanged(true);
}

}  // namespace pzam::serial
