// TSerial: opening, closing, removal of the port, and the dispatch of line events.
#include "serial/LineBlocks.h"
#include "serial/SerThread.h"
#include "serial/Serial.h"

namespace pzam::serial {

using namespace pzam::comm;

namespace {

// Mask bit of each event, in TSerialEventKind order.
constexpr uint32_t kEventBits[kSerialEventCount] = {EV_BREAK,  EV_CTS,    EV_DSR,    EV_ERR,
                                                    EV_RING,   EV_RLSD,   EV_RXCHAR, EV_RXCHAR,
                                                    EV_RXFLAG, EV_TXEMPTY};

}  // namespace

uint32_t TSerial::EventMaskFromHandlers() const {
  std::lock_guard lock(FShared->Mutex);
  uint32_t mask = 0;
  for (size_t i = 0; i < kSerialEventCount; ++i) {
    if (FShared->Handlers[i]) mask |= kEventBits[i];
  }
  return mask;
}

bool TSerial::OpenPort() {
  if (Active() || FComPort <= 0) return false;
  FLastOpenError = {};
  if (FComPort > TCOMManager::kMaxPort) {
    FLastOpenError = {ERROR_FILE_NOT_FOUND, "no port number above 99"};
    return false;
  }
  HANDLE h = OpenDevice();
  if (h != INVALID_HANDLE_VALUE) {
    DCB dcb;
    TSerialSettings settings;
    GetSettings(settings);
    if (!FApi.BuildCommDCB(kBaseModeText, dcb) ||
        !FApi.SetCommState(h, DcbFromSettings(settings, dcb))) {
      FailOpening(h);
    }
  }
  if (h != INVALID_HANDLE_VALUE) {
    // A refused time-out block does not stop the opening.
    if (auto t = TimeoutsFor(FSettings.RecTimeOut, FSettings.TrmTimeOut, FSettings.Baudrate)) {
      FApi.SetCommTimeouts(h, *t);
    }
  }
  uint32_t mask = 0;
  if (h != INVALID_HANDLE_VALUE) {
    mask = EventMaskFromHandlers();
    if (!FApi.SetCommMask(h, mask)) FailOpening(h);
  }
  if (h == INVALID_HANDLE_VALUE) return false;

  // Bound and active before the thread starts, so a handler raised at once can read.
  FHandle = h;
  FSession = std::make_shared<TPortSession>(FApi, h);
  FVariant = FNtPlatform ? TIoVariant::Waiting : TIoVariant::Direct;
  FActive = true;
  if (mask != 0) TSerThread::Start(FShared, FSession, FPriority);
  FManager.UpdateOwner(*this);
  return true;
}

void TSerial::ClosePort() {
  if (!Active()) return;
  const HANDLE h = FHandle;
  // The thread is not waited for: it finds its session terminated when its wait returns.
  FSession->Terminate();
  FApi.SetCommMask(h, 0);
  FApi.CloseHandle(h);
  FHandle = INVALID_HANDLE_VALUE;
  FVariant = TIoVariant::Closed;
  FSession.reset();
  FActive = false;
  FManager.UpdateOwner(*this);
}

void TSerial::COMRemoved() {
  if (FSession) {
    FSession->Terminate();
    // The device is gone; the handle is released so that a returning device can be opened.
    FApi.CloseHandle(FSession->Handle);
    FSession.reset();
  }
  FHandle = INVALID_HANDLE_VALUE;
  FVariant = TIoVariant::Closed;
  TCustomSerial::COMRemoved();
}

void TSerial::Fire(TSerialEventKind kind) {
  if (TSerialEvent handler = Event(kind)) handler(*this);
}

void TSerial::DispatchEvents(uint32_t m) {
  if (!EnableEvents()) return;
  if (m & EV_BREAK) Fire(TSerialEventKind::Break);
  if (m & EV_CTS) Fire(TSerialEventKind::Cts);
  if (m & EV_DSR) Fire(TSerialEventKind::Dsr);
  if (m & EV_ERR) Fire(TSerialEventKind::Error);
  if (m & EV_RING) Fire(TSerialEventKind::Ring);
  if (m & EV_RLSD) Fire(TSerialEventKind::Dcd);
  if (m & EV_RXCHAR) {
    Fire(TSerialEventKind::RxChar);
    const int dataSize = DataSize();
    if (dataSize > 0 && Event(TSerialEventKind::Data) &&
        InQueCount() >= static_cast<uint32_t>(dataSize))
      Fire(TSerialEventKind::Data);
  }
  if (m & EV_RXFLAG) Fire(TSerialEventKind::EventChar);
  if (m & EV_TXEMPTY) Fire(TSerialEventKind::TxEmpty);
}

}  // namespace pzam::serial
