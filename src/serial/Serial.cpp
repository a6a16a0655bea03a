// TSerial: construction, the setters with their rules, the handlers and the settings record.
#include "serial/Serial.h"

#include <algorithm>

#include "serial/SerThread.h"
#include "serial/SettingsText.h"

namespace pzam::serial {

TSerial::TSerial(comm::ICommApi& api, TCOMManager& manager, IDispatcher* dispatcher)
    : TCustomSerial(api, manager), shared_(std::make_shared<TSerialShared>()) {
  priority_ = TThreadPriority::tpNormal;
  shared_->Owner = this;
  shared_->Dispatcher = dispatcher;
}

TSerial::~TSerial() {
  ClosePort();
  // A handler running on an event thread at this moment still uses this object: wait for it.
  std::unique_lock lock(shared_->Mutex);
  shared_->Owner = nullptr;
  shared_->Running.WaitForOthers(lock);
}

void TSerial::SetBaudrate(int value) {
  constexpr int kClock = 9216000;
  if (value <= 0) {
    value = 50;
  } else if (value > kClock) {
    value = 921600;
  } else {
    value = kClock / (kClock / value);  // the nearest rate the clock divides to
  }
  s_.Baudrate = std::clamp(value, 50, 921600);
}

void TSerial::SetBufSizeTrm(int value) {
  bufSizeTrm_ = std::max(value, 4096);
}

void TSerial::SetBufSizeRec(int value) {
  bufSizeRec_ = std::max(value, 4096);
  if (s_.XOffLimit > bufSizeRec_) s_.XOffLimit = bufSizeRec_;
  if (s_.XOnLimit >= s_.XOffLimit) s_.XOnLimit = s_.XOffLimit - 1;
}

void TSerial::SetXOffLimit(int value) {
  if (value <= s_.XOnLimit) value = s_.XOnLimit + 1;
  if (value > bufSizeRec_) value = bufSizeRec_;
  s_.XOffLimit = value;
}

void TSerial::SetXOnLimit(int value) {
  if (value >= s_.XOffLimit) value = s_.XOffLimit - 1;
  if (value < 0) value = 0;
  s_.XOnLimit = value;
}

int TSerial::DataSize() const {
  return shared_->DataSize;
}

void TSerial::SetDataSize(int value) {
  shared_->DataSize = value < 0 ? 0 : std::min(value, bufSizeRec_);
}

bool TSerial::SyncEventHandling() const {
  return shared_->SyncEventHandling;
}
void TSerial::SetSyncEventHandling(bool v) {
  shared_->SyncEventHandling = v;
}
bool TSerial::EnableEvents() const {
  return shared_->EnableEvents;
}
void TSerial::SetEnableEvents(bool v) {
  shared_->EnableEvents = v;
}
bool TSerial::SyncWait() const {
  return shared_->SyncWait;
}
void TSerial::SetSyncWait(bool v) {
  shared_->SyncWait = v;
}

TSerialEvent TSerial::Event(TSerialEventKind kind) const {
  std::lock_guard lock(shared_->Mutex);
  return shared_->Handlers[static_cast<size_t>(kind)];
}

void TSerial::SetEvent(TSerialEventKind kind, TSerialEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->Handlers[static_cast<size_t>(kind)] = std::move(fn);
}

void TSerial::SetOnHandlerError(THandlerErrorEvent fn) {
  std::lock_guard lock(shared_->Mutex);
  shared_->OnHandlerError = std::move(fn);
}

void TSerial::GetSettings(TSerialSettings& settings) const {
  settings = s_;
  settings.COMPort = comPort_;
  settings.BufSizeTrm = bufSizeTrm_;
  settings.BufSizeRec = bufSizeRec_;
  settings.Valid = true;
}

void TSerial::SetSettings(const TSerialSettings& v) {
  if (!v.Valid) return;
  SetCOMPort(v.COMPort);
  SetBaudrate(v.Baudrate);
  SetDataBits(v.DataBits);
  SetParityBit(v.ParityBit);
  SetStopBits(v.StopBits);
  SetBufSizeTrm(v.BufSizeTrm);
  SetBufSizeRec(v.BufSizeRec);
  SetHandshakeRtsCts(v.HandshakeRtsCts);
  SetHandshakeDtrDsr(v.HandshakeDtrDsr);
  SetHandshakeXOnXOff(v.HandshakeXOnXOff);
  SetRTSActive(v.RTSActive);
  SetDTRActive(v.DTRActive);
  SetXOnChar(v.XOnChar);
  SetXOffChar(v.XOffChar);
  SetXOffLimit(v.XOffLimit);
  SetXOnLimit(v.XOnLimit);
  SetErrorChar(v.ErrorChar);
  SetEofChar(v.EofChar);
  SetEventChar(v.EventChar);
  SetContinueOnXOff(v.ContinueOnXOff);
  SetUseErrorChar(v.UseErrorChar);
  SetEliminateNullChar(v.EliminateNullChar);
  SetAbortOnError(v.AbortOnError);
  SetRecTimeOut(v.RecTimeOut);
  SetTrmTimeOut(v.TrmTimeOut);
}

std::string TSerial::SettingsToText(const TSerialSettings& settings) const {
  return serial::SettingsToText(settings);
}

void TSerial::TextToSettings(const std::string& text, TSerialSettings& settings) const {
  GetSettings(settings);
  serial::TextToSettings(text, settings);
}

}  // namespace pzam::serial
