#include "serial/PortWatch.h"

#include "serial/comm/PortNames.h"
#include "serial/comm/PosixCommApi.h"
#include "serial/comm/TtyMonitor.h"

namespace pzam::serial {

struct TPortWatch::TImpl {
  TCOMManager& Manager;
  // The POSIX backend reports hang-ups; another backend (a test's) has none to report.
  comm::TPosixCommApi* Posix;
  comm::TTtyMonitor Monitor;
  // Read and cleared on the window thread only: posted hang-ups after destruction are dropped.
  std::shared_ptr<bool> Alive = std::make_shared<bool>(true);
};

TPortWatch::TPortWatch(TCOMManager& manager, IDispatcher& dispatcher, comm::ICommApi& api)
    : FImpl(new TImpl{manager, dynamic_cast<comm::TPosixCommApi*>(&api), {}}) {
  if (!FImpl->Posix) return;
  FImpl->Posix->SetHangupCallback(
      [&manager, &dispatcher, alive = FImpl->Alive](const std::string& portName) {
        const int number = comm::PortNumberFromName(portName);
        dispatcher.Post([&manager, alive, number] {
          if (*alive && number > 0) manager.PortHungUp(number);
        });
      });
}

TPortWatch::~TPortWatch() {
  if (FImpl->Posix) FImpl->Posix->SetHangupCallback(nullptr);
  *FImpl->Alive = false;
}

bool TPortWatch::Watching() const {
  return FImpl->Monitor.Ok();
}

int TPortWatch::Fd() const {
  return FImpl->Monitor.Fd();
}

void TPortWatch::OnReadable() {
  // One rescan per kind of change is enough however many devices changed at once.
  bool arrived = false, removed = false;
  FImpl->Monitor.Drain([&](comm::TTtyMonitor::TChange change, const std::string&) {
    (change == comm::TTtyMonitor::TChange::Arrival ? arrived : removed) = true;
  });
  if (removed) FImpl->Manager.PortDeviceChanged(false);
  if (arrived) FImpl->Manager.PortDeviceChanged(true);
}

}  // namespace pzam::serial
