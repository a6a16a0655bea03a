#include "serial/CustomSerial.h"

#include "serial/LineBlocks.h"

namespace pzam::serial {

using namespace pzam::comm;

TCustomSerial::TCustomSerial(ICommApi& api, TCOMManager& manager) : FApi(api), FManager(manager) {
  SetCOMPortIndex(0);
}

TCustomSerial::~TCustomSerial() {
  // The manager must not keep a record pointing at a component that no longer exists.
  FManager.ForgetOwner(*this);
}

void TCustomSerial::SetActive(bool active) {
  if (active && !Active()) {
    OpenPort();
  } else if (!active && Active()) {
    ClosePort();
  }
}

void TCustomSerial::SetCOMPort(int port) {
  if (port == 0 || FManager.HasPort(port)) FComPort = port;
}

void TCustomSerial::SetCOMPortIndex(int index) {
  if (index >= 0 && index < FManager.Count()) FComPort = FManager.PortNumber(index);
}

HANDLE TCustomSerial::OpenDevice() {
  HANDLE h = FApi.CreateFile(OpenDeviceName(FComPort), GENERIC_READ | GENERIC_WRITE, 0,
                             OPEN_EXISTING, FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
  if (h == INVALID_HANDLE_VALUE) {
    FLastOpenError = {FApi.GetLastError(), FApi.LastErrorText()};
  } else if (!FApi.SetupComm(h, static_cast<uint32_t>(FBufSizeRec),
                             static_cast<uint32_t>(FBufSizeTrm))) {
    FailOpening(h);
  }
  return h;
}

void TCustomSerial::FailOpening(HANDLE& h) {
  FLastOpenError = {FApi.GetLastError(), FApi.LastErrorText()};
  FApi.CloseHandle(h);
  h = INVALID_HANDLE_VALUE;
}

void TCustomSerial::COMRemoved() {
  FActive = false;
  if (FOnCOMRemoved) {
    TRemovedEvent handler = FOnCOMRemoved;
    handler(*this);
  }
}

}  // namespace pzam::serial
