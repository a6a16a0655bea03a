#include "serial/CustomSerial.h"

namespace pzam::serial {

TCustomSerial::TCustomSerial(TCOMManager& manager) : manager_(manager) {
  SetCOMPortIndex(0);
}

TCustomSerial::~TCustomSerial() {
  // The manager must not keep a record pointing at a component that no longer exists.
  manager_.ForgetOwner(*this);
}

void TCustomSerial::SetActive(bool active) {
  if (active && !Active()) {
    OpenPort();
  } else if (!active && Active()) {
    ClosePort();
  }
}

void TCustomSerial::SetCOMPort(int port) {
  if (port == 0 || manager_.HasPort(port)) comPort_ = port;
}

void TCustomSerial::SetCOMPortIndex(int index) {
  if (index >= 0 && index < manager_.Count()) comPort_ = manager_.PortNumber(index);
}

void TCustomSerial::COMRemoved() {
  active_ = false;
  if (onCOMRemoved_) {
    TRemovedEvent handler = onCOMRemoved_;
    handler(*this);
  }
}

}  // namespace pzam::serial
