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

  bool Active() const { return active_.load(); }
  // Opens or closes the port when it is not so already.
  void SetActive(bool active);
  // Opening and closing. A failed opening raises nothing; LastOpenError tells why.
  virtual bool OpenPort() = 0;
  virtual void ClosePort() = 0;
  const TOpenError& LastOpenError() const { return lastOpenError_; }
  int COMPort() const { return comPort_; }
  // 0 is always taken; another number only when the manager lists it.
  void SetCOMPort(int port);
  // The port of the manager's entry at index; nothing when there is no such entry.
  void SetCOMPortIndex(int index);
  // Sets the number without asking the manager (settings texts written for another machine).
  void SetCOMPortUnchecked(int port) { comPort_ = port; }

  int BufSizeTrm() const { return bufSizeTrm_; }
  int BufSizeRec() const { return bufSizeRec_; }
  TThreadPriority ThreadPriority() const { return priority_; }
  void SetThreadPriority(TThreadPriority p) { priority_ = p; }

  const TRemovedEvent& OnCOMRemoved() const { return onCOMRemoved_; }
  void SetOnCOMRemoved(TRemovedEvent fn) { onCOMRemoved_ = std::move(fn); }

  // Called by the port manager when this component's open port has disappeared.
  virtual void COMRemoved();

  TCOMManager& Manager() const { return manager_; }

 protected:
  // Opens the device of COMPort with the queue sizes; INVALID_HANDLE_VALUE, with the reason in
  // LastOpenError, when that fails.
  comm::HANDLE OpenDevice();
  // After a failed step of an opening: keeps the system's reason, closes the handle and clears it.
  void FailOpening(comm::HANDLE& h);

  comm::ICommApi& api_;
  TCOMManager& manager_;
  std::atomic<bool> active_{false};
  int comPort_ = 0;
  std::atomic<comm::HANDLE> handle_{comm::INVALID_HANDLE_VALUE};
  int bufSizeTrm_ = 16384;
  int bufSizeRec_ = 16384;
  TThreadPriority priority_ = TThreadPriority::tpIdle;
  TRemovedEvent onCOMRemoved_;
  TOpenError lastOpenError_;
};

}  // namespace pzam::serial
