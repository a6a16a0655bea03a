// The serial port component TSerial: settings, settings text, opening and closing, the event
// thread that raises the line events, and reading and writing. Settings are plain fields set on
// the window thread and take effect at the next opening; the handlers and the few settings read
// while the port is open (EnableEvents, SyncEventHandling, DataSize, SyncWait) may be changed from
// any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/Dispatcher.h"
#include "serial/COMManager.h"
#include "serial/CustomSerial.h"
#include "serial/SerialTypes.h"
#include "serial/comm/CommApi.h"

namespace pzam::serial {

class TSerial;
struct TSerialShared;
struct TPortSession;

using TSerialEvent = std::function<void(TSerial& sender)>;
using THandlerErrorEvent = std::function<void(TSerial& sender, const std::string& text)>;

// The line events in the order a dispatch raises them.
enum class TSerialEventKind : uint8_t {
  Break,
  Cts,
  Dsr,
  Error,
  Ring,
  Dcd,
  RxChar,
  Data,
  EventChar,
  TxEmpty
};
inline constexpr size_t kSerialEventCount = 10;

// Which variant of the four transfer entry points is bound.
enum class TIoVariant : uint8_t { Closed, Direct, Waiting };

class TSerial : public TCustomSerial {
 public:
  // dispatcher: the window thread, for SyncEventHandling (without one, handlers run on the
  // event thread). api, manager and dispatcher must outlive every event thread.
  TSerial(comm::ICommApi& api, TCOMManager& manager, IDispatcher* dispatcher = nullptr);
  // On the platform's comm layer and the program's port manager.
  explicit TSerial(IDispatcher* dispatcher = nullptr);
  // Closes the port. A handler running on an event thread at that moment is waited for, since
  // it holds the component as its sender: such a handler must not wait for the window thread
  // (post to it instead). Closing alone never waits.
  ~TSerial() override;

  // Line settings (taking effect at the next opening).
  int Baudrate() const { return FSettings.Baudrate; }
  void SetBaudrate(int value);
  TDataBits DataBits() const { return FSettings.DataBits; }
  void SetDataBits(TDataBits v) { FSettings.DataBits = v; }
  TParityBit ParityBit() const { return FSettings.ParityBit; }
  void SetParityBit(TParityBit v) { FSettings.ParityBit = v; }
  bool ParityCheck() const { return FSettings.ParityBit != TParityBit::none; }
  TStopBits StopBits() const { return FSettings.StopBits; }
  void SetStopBits(TStopBits v) { FSettings.StopBits = v; }
  void SetBufSizeTrm(int value);
  void SetBufSizeRec(int value);
  bool HandshakeRtsCts() const { return FSettings.HandshakeRtsCts; }
  void SetHandshakeRtsCts(bool v) { FSettings.HandshakeRtsCts = v; }
  bool HandshakeDtrDsr() const { return FSettings.HandshakeDtrDsr; }
  void SetHandshakeDtrDsr(bool v) { FSettings.HandshakeDtrDsr = v; }
  bool HandshakeXOnXOff() const { return FSettings.HandshakeXOnXOff; }
  void SetHandshakeXOnXOff(bool v) { FSettings.HandshakeXOnXOff = v; }
  bool RTSActive() const { return FSettings.RTSActive; }
  void SetRTSActive(bool v) { FSettings.RTSActive = v; }
  bool DTRActive() const { return FSettings.DTRActive; }
  void SetDTRActive(bool v) { FSettings.DTRActive = v; }
  char XOnChar() const { return FSettings.XOnChar; }
  void SetXOnChar(char v) { FSettings.XOnChar = v; }
  char XOffChar() const { return FSettings.XOffChar; }
  void SetXOffChar(char v) { FSettings.XOffChar = v; }
  int XOffLimit() const { return FSettings.XOffLimit; }
  void SetXOffLimit(int value);
  int XOnLimit() const { return FSettings.XOnLimit; }
  void SetXOnLimit(int value);
  char ErrorChar() const { return FSettings.ErrorChar; }
  void SetErrorChar(char v) { FSettings.ErrorChar = v; }
  char EofChar() const { return FSettings.EofChar; }
  void SetEofChar(char v) { FSettings.EofChar = v; }
  char EventChar() const { return FSettings.EventChar; }
  void SetEventChar(char v) { FSettings.EventChar = v; }
  bool ContinueOnXOff() const { return FSettings.ContinueOnXOff; }
  void SetContinueOnXOff(bool v) { FSettings.ContinueOnXOff = v; }
  bool UseErrorChar() const { return FSettings.UseErrorChar; }
  void SetUseErrorChar(bool v) { FSettings.UseErrorChar = v; }
  bool EliminateNullChar() const { return FSettings.EliminateNullChar; }
  void SetEliminateNullChar(bool v) { FSettings.EliminateNullChar = v; }
  bool AbortOnError() const { return FSettings.AbortOnError; }
  void SetAbortOnError(bool v) { FSettings.AbortOnError = v; }
  int RecTimeOut() const { return FSettings.RecTimeOut; }
  void SetRecTimeOut(int value) { FSettings.RecTimeOut = value < 0 ? 0 : value; }
  int TrmTimeOut() const { return FSettings.TrmTimeOut; }
  void SetTrmTimeOut(int value) { FSettings.TrmTimeOut = value < 0 ? 0 : value; }

  // Read live while the port is open.
  int DataSize() const;
  void SetDataSize(int value);
  bool SyncEventHandling() const;
  void SetSyncEventHandling(bool v);
  bool EnableEvents() const;
  void SetEnableEvents(bool v);
  bool SyncWait() const;
  void SetSyncWait(bool v);

  // Line events. Which are waited for is fixed at opening by the handlers assigned then.
  TSerialEvent Event(TSerialEventKind kind) const;
  void SetEvent(TSerialEventKind kind, TSerialEvent fn);
  void SetOnBreak(TSerialEvent fn) { SetEvent(TSerialEventKind::Break, std::move(fn)); }
  void SetOnCts(TSerialEvent fn) { SetEvent(TSerialEventKind::Cts, std::move(fn)); }
  void SetOnDsr(TSerialEvent fn) { SetEvent(TSerialEventKind::Dsr, std::move(fn)); }
  void SetOnError(TSerialEvent fn) { SetEvent(TSerialEventKind::Error, std::move(fn)); }
  void SetOnRing(TSerialEvent fn) { SetEvent(TSerialEventKind::Ring, std::move(fn)); }
  void SetOnDcd(TSerialEvent fn) { SetEvent(TSerialEventKind::Dcd, std::move(fn)); }
  void SetOnRxChar(TSerialEvent fn) { SetEvent(TSerialEventKind::RxChar, std::move(fn)); }
  void SetOnData(TSerialEvent fn) { SetEvent(TSerialEventKind::Data, std::move(fn)); }
  void SetOnEventChar(TSerialEvent fn) { SetEvent(TSerialEventKind::EventChar, std::move(fn)); }
  void SetOnTxEmpty(TSerialEvent fn) { SetEvent(TSerialEventKind::TxEmpty, std::move(fn)); }
  // Raised (on the thread the handler ran on) when a handler of a line event raised an error;
  // the event thread goes on waiting.
  void SetOnHandlerError(THandlerErrorEvent fn);

  // Settings record and settings text.
  virtual void SetSettings(const TSerialSettings& settings);
  virtual void GetSettings(TSerialSettings& settings) const;
  virtual std::string SettingsToText(const TSerialSettings& settings) const;
  virtual void TextToSettings(const std::string& text, TSerialSettings& settings) const;

  // Opening and closing. A failed opening raises nothing; LastOpenError tells why.
  bool OpenPort() override;
  void ClosePort() override;
  void COMRemoved() override;
  // The event mask the handlers assigned now would give.
  uint32_t EventMaskFromHandlers() const;
  // Raises the events of one wait's mask in their order (the event thread calls it).
  void DispatchEvents(uint32_t eventMask);
  // Whether an opening binds the waiting (true) or the direct transfer variants.
  bool NTPlatform() const { return FNtPlatform; }
  void SetNTPlatform(bool v) { FNtPlatform = v; }

  // Transfers, through the variant bound at the last opening or closing.
  std::string ReadText();
  uint32_t WriteText(const std::string& text);
  uint32_t ReadData(void* buffer, uint32_t count);
  uint32_t WriteData(const void* buffer, uint32_t count);
  TIoVariant IoVariant() const { return FVariant.load(); }
  void QueueCounts(uint32_t& inQue, uint32_t& outQue);
  uint32_t InQueCount();

 protected:
  virtual std::string ReadTextClosed() { return {}; }
  virtual std::string ReadTextDirect() { return ReadTextOpen(false); }
  virtual std::string ReadTextWaiting() { return ReadTextOpen(true); }
  virtual uint32_t WriteDataClosed(const void*, uint32_t) { return 0; }
  virtual uint32_t WriteDataDirect(const void* b, uint32_t n) { return WriteOpen(b, n, false); }
  virtual uint32_t WriteDataWaiting(const void* b, uint32_t n) { return WriteOpen(b, n, true); }
  virtual uint32_t ReadDataClosed(void*, uint32_t) { return 0; }
  virtual uint32_t ReadDataDirect(void* b, uint32_t n) { return ReadDataOpen(b, n, false); }
  virtual uint32_t ReadDataWaiting(void* b, uint32_t n) { return ReadDataOpen(b, n, true); }
  virtual uint32_t WriteTextClosed(const std::string&) { return 0; }
  virtual uint32_t WriteTextDirect(const std::string& t);
  virtual uint32_t WriteTextWaiting(const std::string& t);

 private:
  std::string ReadTextOpen(bool waiting);
  uint32_t WriteOpen(const void* buffer, uint32_t count, bool waiting);
  uint32_t ReadDataOpen(void* buffer, uint32_t count, bool waiting);
  // Completes a pending transfer (waiting variants) and gives the count.
  uint32_t Complete(comm::HANDLE h, bool ok, uint32_t count, comm::OVERLAPPED& ov, bool waiting);
  void Fire(TSerialEventKind kind);

  TSerialSettings FSettings;  // the line settings (COMPort and the queue sizes live in the base)
  bool FNtPlatform = true;
  std::atomic<TIoVariant> FVariant{TIoVariant::Closed};
  std::shared_ptr<TSerialShared> FShared;
  std::shared_ptr<TPortSession> FSession;
};

}  // namespace pzam::serial
