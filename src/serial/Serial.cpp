// TSerial: construction, the setters with their rules, the handlers and the settings record.
#include "serial/Serial.h"

#include <algorithm>

#include "serial/SerThread.h"
#include "serial/SettingsText.h"

namespace pzam::serial {

TSerial::TSerial(comm::ICommApi& api, TCOMManager& manager, IDispatcher* dispatcher)
    : TCustomSerial(api, manager), FShared(std::make_shared<TSerialShared>()) {
  FPriority = TThreadPriority::tpNormal;
  FShared->Owner = this;
  FShared->Dispatcher = dispatcher;
}

TSerial::~TSerial() {
  ClosePort();
  // A handler running on an event thread at this moment still uses this object: wait for it.
  std::unique_lock lock(FShared->Mutex);
  FShared->Owner = nullptr;
  FShared->Running.WaitForOthers(lock);
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
  FSettings.Baudrate = std::clamp(value, 50, 921600);
}

void TSerial::SetBufSizeTrm(int value) {
  FBufSizeTrm = std::max(value, 4096);
}

void TSerial::SetBufSizeRec(int value) {
  FBufSizeRec = std::max(value, 4096);
  if (FSettings.XOffLimit > FBufSizeRec) FSettings.XOffLimit = FBufSizeRec;
  if (FSettings.XOnLimit >= FSettings.XOffLimit) FSettings.XOnLimit = FSettings.XOffLimit - 1;
}

void TSerial::SetXOffLimit(int value) {
  if (value <= FSettings.XOnLimit) value = FSettings.XOnLimit + 1;
  if (value > FBufSizeRec) value = FBufSizeRec;
  FSettings.XOffLimit = value;
}

void TSerial::SetXOnLimit(int value) {
  if (value >= FSettings.XOffLimit) value = FSettings.XOffLimit - 1;
  if (value < 0) value = 0;
  FSettings.XOnLimit = value;
}

int TSerial::DataSize() const {
  return FShared->DataSize;
}

void TSerial::SetDataSize(int value) {
  FShared->DataSize = value < 0 ? 0 : std::min(value, FBufSizeRec);
}

bool TSerial::SyncEventHandling() const {
  return FShared->SyncEventHandling;
}
void TSerial::SetSyncEventHandling(bool v) {
  FShared->SyncEventHandling = v;
}
bool TSerial::EnableEvents() const {
  return FShared->EnableEvents;
}
void TSerial::SetEnableEvents(bool v) {
  FShared->EnableEvents = v;
}
bool TSerial::SyncWait() const {
  return FShared->SyncWait;
}
void TSerial::SetSyncWait(bool v) {
  FShared->SyncWait = v;
}

TSerialEvent TSerial::Event(TSerialEventKind kind) const {
  std::lock_guard lock(FShared->Mutex);
  return FShared->Handlers[static_cast<size_t>(kind)];
}

void TSerial::SetEvent(TSerialEventKind kind, TSerialEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->Handlers[static_cast<size_t>(kind)] = std::move(fn);
}

void TSerial::SetOnHandlerError(THandlerErrorEvent fn) {
  std::lock_guard lock(FShared->Mutex);
  FShared->OnHandlerError = std::move(fn);
}

void TSerial::GetSettings(TSerialSettings& settings) const {
  settings = FSettings;
  settings.COMPort = FComPort;
  settings.BufSizeTrm = FBufSizeTrm;
  settings.BufSizeRec = FBufSizeRec;
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
