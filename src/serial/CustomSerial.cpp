#include "serial/CustomSerial.h"

#include "serial/LineBlocks.h"

namespace pzam::serial {

using namespace pzam::comm;

TCustomSerial::TCustomSerial(ICommApi& api, TCOMManager& manager) : api_(api), manager_(manager) {
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

HANDLE TCustomSerial::OpenDevice() {
  HANDLE h = api_.CreateFile(OpenDeviceName(comPort_), GENERIC_READ | GENERIC_WRITE, 0,
                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) {
    lastOpenError_ = {api_.GetLastError(), api_.LastErrorText()};
  } else if (!api_.SetupComm(h, static_cast<uint32_t>(bufSizeRec_),
                             static_cast<uint32_t>(bufSizeTrm_))) {
    FailOpening(h);
  }
  return h;
}

void TCustomSerial::FailOpening(HANDLE& h) {
  lastOpenError_ = {api_.GetLastError(), api_.LastErrorText()};
  api_.CloseHandle(h);
  h = INVALID_HANDLE_VALUE;
}

void TCustomSerial::COMRemoved() {
  active_ = false;
  if (onCOMRemoved_) {
    TRemovedEvent handler = onCOMRemoved_;
    handler(*this);
  }
}

}  // namespace pzam::serial
