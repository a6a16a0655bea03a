// The base of the port components: port number, handle, queue sizes, event thread priority,
// opening and closing, and the removal of an open port.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "serial/COMManager.h"
#include "serial/SerialTypes.h"
#include "serial/comm/CommApi.h"

namespace pzam::serial {

// The system's reason for a failed opening.
struct TOpenError {
  uint32_t Code = 0;  // an ERROR_ number, 0 after a successful opening
  std::string Text;
};

class TCustomSerial {
 public:
  using TRemovedEvent = std::function<void(TCustomSerial& sender)>;

  // COMPort starts as the first port the manager lists (0 when none). api and manager must
  // outlive the component.
  TCustomSerial(comm::ICommApi& api, TCOMManager& manager);
  virtual ~TCustomSerial();
  TCustomSerial(const TCustomSerial&) = delete;
  TCustomSerial& operator=(const TCustomSerial&) = delete;

  bool Active() const { return FActive.load(); }
  // Opens or closes the port when it is not so already.
  void SetActive(bool active);
  // Opening and closing. A failed opening raises nothing; LastOpenError tells why.
  virtual bool OpenPort() = 0;
  virtual void ClosePort() = 0;
  const TOpenError& LastOpenError() const { return FLastOpenError; }
  int COMPort() const { return FComPort; }
  // 0 is always taken; another number only when the manager lists it.
  void SetCOMPort(int port);
  // The port of the manager's entry at index; nothing when there is no such entry.
  void SetCOMPortIndex(int index);
  // Sets the number without asking the manager (settings texts written for another machine).
  void SetCOMPortUnchecked(int port) { FComPort = port; }

  int BufSizeTrm() const { return FBufSizeTrm; }
  int BufSizeRec() const { return FBufSizeRec; }
  TThreadPriority ThreadPriority() const { return FPriority; }
  void SetThreadPriority(TThreadPriority p) { FPriority = p; }

  const TRemovedEvent& OnCOMRemoved() const { return FOnCOMRemoved; }
  void SetOnCOMRemoved(TRemovedEvent fn) { FOnCOMRemoved = std::move(fn); }

  // Called by the port manager when this component's open port has disappeared.
  virtual void COMRemoved();

  TCOMManager& Manager() const { return FManager; }

 protected:
  // Opens the device of COMPort with the queue sizes; INVALID_HANDLE_VALUE, with the reason in
  // LastOpenError, when that fails.
  comm::HANDLE OpenDevice();
  // After a failed step of an opening: keeps the system's reason, closes the handle and clears it.
  void FailOpening(comm::HANDLE& h);

  comm::ICommApi& FApi;
  TCOMManager& FManager;
  std::atomic<bool> FActive{false};
  int FComPort = 0;
  std::atomic<comm::HANDLE> FHandle{comm::INVALID_HANDLE_VALUE};
  int FBufSizeTrm = 16384;
  int FBufSizeRec = 16384;
  TThreadPriority FPriority = TThreadPriority::tpIdle;
  TRemovedEvent FOnCOMRemoved;
  TOpenError FLastOpenError;
};

}  // namespace pzam::serial
