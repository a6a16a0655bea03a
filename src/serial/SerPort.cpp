#include "serial/SerPort.h"

#include <array>
#include <atomic>

#include "serial/LineBlocks.h"
#include "serial/RunningHandlers.h"
#include "serial/SerThread.h"

namespace pzam::serial {

using namespace pzam::comm;

namespace {

// The four inputs: cache index, modem status bit, wait event bit, in the order events are raised.
enum TInput { kCts, kDsr, kRing, kDcd };
constexpr uint32_t kStatusBit[] = {MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON};
constexpr uint32_t kEventBit[] = {EV_CTS, EV_DSR, EV_RING, EV_RLSD};
constexpr uint32_t kWatchMask = EV_CTS | EV_DSR | EV_RLSD | EV_RING;  // 0x0138

}  // namespace

// What the component shares with its line-watch threads.
struct TSerPortShared {
  std::mutex Mutex;
  TSerPort* Owner = nullptr;
  std::array<TSerPort::TEvent, 4> Handlers;
  TSerPort::TErrorEvent OnHandlerError;
  TRunningHandlers Running;
  std::array<std::atomic<bool>, 4> Cache{};  // true: the line is off

  void Refresh(uint32_t status) {
    for (int i = 0; i < 4; ++i) Cache[i] = (status & kStatusBit[i]) == 0;
  }
};

namespace {

void RaiseEvents(TSerPortShared& shared, const TPortSession& session, uint32_t mask) {
  RunHandlerPass(shared, session, [&](TSerPort& owner) {
    std::array<TSerPort::TEvent, 4> handlers;
    {
      std::lock_guard lock(shared.Mutex);
      handlers = shared.Handlers;
    }
    for (int i = 0; i < 4; ++i) {
      if ((mask & kEventBit[i]) && handlers[i]) handlers[i](owner);
    }
  });
}

void WatchLines(const std::shared_ptr<TSerPortShared>& shared,
                const std::shared_ptr<TPortSession>& session) {
  ICommApi& api = session->Api;
  uint32_t status = 0;  // a failed read keeps the previous status
  api.GetCommModemStatus(session->Handle, status);
  shared->Refresh(status);
  while (!session->Terminated()) {
    uint32_t mask = 0;
    if (!api.WaitCommEvent(session->Handle, mask, nullptr)) {
      session->Pause(kRetryPause);
      continue;
    }
    if (session->Terminated()) break;
    uint32_t now = 0;
    if (api.GetCommModemStatus(session->Handle, now)) status = now;
    shared->Refresh(status);
    RaiseEvents(*shared, *session, mask);
  }
}

}  // namespace

TSerPort::TSerPort(ICommApi& api, TCOMManager& manager)
    : TCustomSerial(api, manager), FShared(std::make_shared<TSerPortShared>()) {
  FShared->Owner = this;
}

TSerPort::~TSerPort() {
  ClosePort();
  std::unique_lock lock(FShared->Mutex);
  FShared->Owner = nullptr;
  FShared->Running.WaitForOthers(lock);
}

void TSerPort::Escape(uint32_t onCode, uint32_t offCode, bool off) {
  if (Active()) FApi.EscapeCommFunction(FHandle, off ? offCode : onCode);
}

void TSerPort::SetOut_DTR(bool v) {
  FOutDtr = v;
  Escape(SETDTR, CLRDTR, v);
}

void TSerPort::SetOut_RTS(bool v) {
  FOutRts = v;
  Escape(SETRTS, CLRRTS, v);
}

void TSerPort::SetOut_TxD(bool v) {
  FOutTxd = v;
  Escape(SETBREAK, CLRBREAK, v);
}

bool TSerPort::ReadInput(uint32_t bit, int cache) {
  uint32_t status = 0;
  if (Active() && FPollingInForce && FApi.GetCommModemStatus(FHandle, status))
    FShared->Cache[static_cast<size_t>(cache)] = (status & bit) == 0;
  return FShared->Cache[static_cast<size_t>(cache)];
}

bool TSerPort::In_DCD() {
  return ReadInput(MS_RLSD_ON, kDcd);
}
bool TSerPort::In_DSR() {
  return ReadInput(MS_DSR_ON, kDsr);
}
bool TSerPort::In_CTS() {
  return ReadInput(MS_CTS_ON, kCts);
}
bool TSerPort::In_RI() {
  return ReadInput(MS_RING_ON, kRing);
}

void TSerPort::SetOnCts(TEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->Handlers[kCts] = std::move(fn);
}

void TSerPort::SetOnDsr(TEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->Handlers[kDsr] = std::move(fn);
}

void TSerPort::SetOnRing(TEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->Handlers[kRing] = std::move(fn);
}

void TSerPort::SetOnDcd(TEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->Handlers[kDcd] = std::move(fn);
}

void TSerPort::SetOnHandlerError(TErrorEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->OnHandlerError = std::move(fn);
}

bool TSerPort::OpenPort() {
  if (Active()) return false;
  FLastOpenError = {};
  // Port 0 (or a number above 99) names no device.
  if (FComPort <= 0 || FComPort > TCOMManager::kMaxPort) {
    FLastOpenError = {ERROR_FILE_NOT_FOUND, "no port selected"};
    return false;
  }
  HANDLE h = OpenDevice();
  if (h == INVALID_HANDLE_VALUE) return false;
  DCB dcb;
  FApi.BuildCommDCB(kBaseModeText, dcb);  // its result is not needed: the DCB has its defaults
  if (!FApi.SetCommState(h, dcb)) {
    FailOpening(h);
    return false;
  }
  FPollingInForce = FPollingMode;
  if (!FPollingInForce) FApi.SetCommMask(h, kWatchMask);
  FHandle = h;
  FActive = true;
  Escape(SETDTR, CLRDTR, FOutDtr);
  Escape(SETRTS, CLRRTS, FOutRts);
  Escape(SETBREAK, CLRBREAK, FOutTxd);
  if (!FPollingInForce) {
    FSession = std::make_shared<TPortSession>(FApi, h);
    StartPortThread([shared = FShared, session = FSession] { WatchLines(shared, session); },
                    FPriority);
  }
  FManager.UpdateOwner(*this);
  return true;
}

void TSerPort::ClosePort() {
  if (!Active()) return;
  const HANDLE h = FHandle;
  if (FSession) {
    FSession->Terminate();
    FApi.SetCommMask(h, 0);
    FSession.reset();
  }
  FApi.CloseHandle(h);
  FHandle = INVALID_HANDLE_VALUE;
  FActive = false;
  FPollingInForce = false;
  FManager.UpdateOwner(*this);
}

void TSerPort::COMRemoved() {
  const HANDLE h = FHandle;
  if (FSession) {
    FSession->Terminate();
    FSession.reset();
  }
  // The device is gone; its handle is released so that a returning device can be opened.
  if (h != INVALID_HANDLE_VALUE) FApi.CloseHandle(h);
  FHandle = INVALID_HANDLE_VALUE;
  FPollingInForce = false;
  TCustomSerial::COMRemoved();
}

}  // namespace pzam::serial
