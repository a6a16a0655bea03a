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
  int Baudrate() const { return s_.Baudrate; }
  void SetBaudrate(int value);
  TDataBits DataBits() const { return s_.DataBits; }
  void SetDataBits(TDataBits v) { s_.DataBits = v; }
  TParityBit ParityBit() const { return s_.ParityBit; }
  void SetParityBit(TParityBit v) { s_.ParityBit = v; }
  bool ParityCheck() const { return s_.ParityBit != TParityBit::none; }
  TStopBits StopBits() const { return s_.StopBits; }
  void SetStopBits(TStopBits v) { s_.StopBits = v; }
  void SetBufSizeTrm(int value);
  void SetBufSizeRec(int value);
  bool HandshakeRtsCts() const { return s_.HandshakeRtsCts; }
  void SetHandshakeRtsCts(bool v) { s_.HandshakeRtsCts = v; }
  bool HandshakeDtrDsr() const { return s_.HandshakeDtrDsr; }
  void SetHandshakeDtrDsr(bool v) { s_.HandshakeDtrDsr = v; }
  bool HandshakeXOnXOff() const { return s_.HandshakeXOnXOff; }
  void SetHandshakeXOnXOff(bool v) { s_.HandshakeXOnXOff = v; }
  bool RTSActive() const { return s_.RTSActive; }
  void SetRTSActive(bool v) { s_.RTSActive = v; }
  bool DTRActive() const { return s_.DTRActive; }
  void SetDTRActive(bool v) { s_.DTRActive = v; }
  char XOnChar() const { return s_.XOnChar; }
  void SetXOnChar(char v) { s_.XOnChar = v; }
  char XOffChar() const { return s_.XOffChar; }
  void SetXOffChar(char v) { s_.XOffChar = v; }
  int XOffLimit() const { return s_.XOffLimit; }
  void SetXOffLimit(int value);
  int XOnLimit() const { return s_.XOnLimit; }
  void SetXOnLimit(int value);
  char ErrorChar() const { return s_.ErrorChar; }
  void SetErrorChar(char v) { s_.ErrorChar = v; }
  char EofChar() const { return s_.EofChar; }
  void SetEofChar(char v) { s_.EofChar = v; }
  char EventChar() const { return s_.EventChar; }
  void SetEventChar(char v) { s_.EventChar = v; }
  bool ContinueOnXOff() const { return s_.ContinueOnXOff; }
  void SetContinueOnXOff(bool v) { s_.ContinueOnXOff = v; }
  bool UseErrorChar() const { return s_.UseErrorChar; }
  void SetUseErrorChar(bool v) { s_.UseErrorChar = v; }
  bool EliminateNullChar() const { return s_.EliminateNullChar; }
  void SetEliminateNullChar(bool v) { s_.EliminateNullChar = v; }
  bool AbortOnError() const { return s_.AbortOnError; }
  void SetAbortOnError(bool v) { s_.AbortOnError = v; }
  int RecTimeOut() const { return s_.RecTimeOut; }
  void SetRecTimeOut(int value) { s_.RecTimeOut = value < 0 ? 0 : value; }
  int TrmTimeOut() const { return s_.TrmTimeOut; }
  void SetTrmTimeOut(int value) { s_.TrmTimeOut = value < 0 ? 0 : value; }

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
  bool NTPlatform() const { return ntPlatform_; }
  void SetNTPlatform(bool v) { ntPlatform_ = v; }

  // Transfers, through the variant bound at the last opening or closing.
  std::string ReadText();
  uint32_t WriteText(const std::string& text);
  uint32_t ReadData(void* buffer, uint32_t count);
  uint32_t WriteData(const void* buffer, uint32_t count);
  TIoVariant IoVariant() const { return variant_.load(); }
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

  TSerialSettings s_;  // the line settings (COMPort and the queue sizes live in the base)
  bool ntPlatform_ = true;
  std::atomic<TIoVariant> variant_{TIoVariant::Closed};
  std::shared_ptr<TSerialShared> shared_;
  std::shared_ptr<TPortSession> session_;
};

}  // namespace pzam::serial
