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
    : TCustomSerial(api, manager), shared_(std::make_shared<TSerPortShared>()) {
  shared_->Owner = this;
}

TSerPort::~TSerPort() {
  ClosePort();
  std::unique_lock lock(shared_->Mutex);
  shared_->Owner = nullptr;
  shared_->Running.WaitForOthers(lock);
}

void TSerPort::Escape(uint32_t onCode, uint32_t offCode, bool off) {
  if (Active()) api_.EscapeCommFunction(handle_, off ? offCode : onCode);
}

void TSerPort::SetOut_DTR(bool v) {
  outDtr_ = v;
  Escape(SETDTR, CLRDTR, v);
}

void TSerPort::SetOut_RTS(bool v) {
  outRts_ = v;
  Escape(SETRTS, CLRRTS, v);
}

void TSerPort::SetOut_TxD(bool v) {
  outTxd_ = v;
  Escape(SETBREAK, CLRBREAK, v);
}

bool TSerPort::ReadInput(uint32_t bit, int cache) {
  uint32_t status = 0;
  if (Active() && pollingInForce_ && api_.GetCommModemStatus(handle_, status))
    shared_->Cache[static_cast<size_t>(cache)] = (status & bit) == 0;
  return shared_->Cache[static_cast<size_t>(cache)];
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
  std::lock_guard lock(shared_->Mutex);
  shared_->Handlers[kCts] = std::move(fn);
}

void TSerPort::SetOnDsr(TEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->Handlers[kDsr] = std::move(fn);
}

void TSerPort::SetOnRing(TEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->Handlers[kRing] = std::move(fn);
}

void TSerPort::SetOnDcd(TEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->Handlers[kDcd] = std::move(fn);
}

void TSerPort::SetOnHandlerError(TErrorEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->OnHandlerError = std::move(fn);
}

bool TSerPort::OpenPort() {
  if (Active()) return false;
  lastOpenError_ = {};
  // Port 0 (or a number above 99) names no device.
  if (comPort_ <= 0 || comPort_ > TCOMManager::kMaxPort) {
    lastOpenError_ = {ERROR_FILE_NOT_FOUND, "no port selected"};
    return false;
  }
  HANDLE h = OpenDevice();
  if (h == INVALID_HANDLE_VALUE) return false;
  DCB dcb;
  api_.BuildCommDCB(kBaseModeText, dcb);  // its result is not needed: the DCB has its defaults
  if (!api_.SetCommState(h, dcb)) {
    FailOpening(h);
    return false;
  }
  pollingInForce_ = pollingMode_;
  if (!pollingInForce_) api_.SetCommMask(h, kWatchMask);
  handle_ = h;
  active_ = true;
  Escape(SETDTR, CLRDTR, outDtr_);
  Escape(SETRTS, CLRRTS, outRts_);
  Escape(SETBREAK, CLRBREAK, outTxd_);
  if (!pollingInForce_) {
    session_ = std::make_shared<TPortSession>(api_, h);
    StartPortThread([shared = shared_, session = session_] { WatchLines(shared, session); },
                    priority_);
  }
  manager_.UpdateOwner(*this);
  return true;
}

void TSerPort::ClosePort() {
  if (!Active()) return;
  const HANDLE h = handle_;
  if (session_) {
    session_->Terminate();
    api_.SetCommMask(h, 0);
    session_.reset();
  }
  api_.CloseHandle(h);
  handle_ = INVALID_HANDLE_VALUE;
  active_ = false;
  pollingInForce_ = false;
  manager_.UpdateOwner(*this);
}

void TSerPort::COMRemoved() {
  const HANDLE h = handle_;
  if (session_) {
    session_->Terminate();
    session_.reset();
  }
  // The device is gone; its handle is released so that a returning device can be opened.
  if (h != INVALID_HANDLE_VALUE) api_.CloseHandle(h);
  handle_ = INVALID_HANDLE_VALUE;
  pollingInForce_ = false;
  TCustomSerial::COMRemoved();
}

}  // namespace pzam::serial
