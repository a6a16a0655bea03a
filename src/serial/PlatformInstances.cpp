// The serial component on the platform's comm layer: the program's one port manager and the
// components made for it.
#include "serial/COMManager.h"
#include "serial/SerPort.h"
#include "serial/Serial.h"
#include "serial/comm/PlatformCommApi.h"

namespace pzam::serial {

TCOMManager& ComManager() {
  // Created on first use, on the window thread, with ports 1 to 4 scanned.
  static TCOMManager manager(comm::PlatformCommApi(), 4);
  return manager;
}

TSerial::TSerial(IDispatcher* dispatcher)
    : TSerial(comm::PlatformCommApi(), ComManager(), dispatcher) {}

TSerPort::TSerPort() : TSerPort(comm::PlatformCommApi(), ComManager()) {}

}  // namespace pzam::serial
