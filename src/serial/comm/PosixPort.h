// One open serial device of the POSIX backend, behaving as a Windows serial driver does: a
// receive queue in user space fed by a reader thread, line events kept until a wait takes them,
// reads and writes bounded by the time-out block. All calls report by result and set the
// calling thread's last error (CommErrors.h) on failure.
#pragma once

#include <linux/serial.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "serial/comm/CommApi.h"
#include "serial/comm/InputDecoder.h"

namespace pzam::comm {

class TPosixPort {
 public:
  // Called once, from the reader thread, when the line hangs up (the argument is the port name).
  using THangupFn = std::function<void(const std::string&)>;

  // Takes ownership of fd, an open terminal in raw mode; portName is "COM5".
  TPosixPort(int fd, std::string portName, THangupFn onHangup);
  ~TPosixPort();
  TPosixPort(const TPosixPort&) = delete;
  TPosixPort& operator=(const TPosixPort&) = delete;

  // Starts the reader thread; false (with the last error set) when it cannot be started.
  bool Start();
  // Fails every pending and later call, ends the reader thread, waits for calls in progress
  // to leave and closes the device. May be called more than once.
  void Close();

  bool Setup(uint32_t inQueue, uint32_t outQueue);
  bool SetState(const DCB& dcb);
  bool SetTimeouts(const COMMTIMEOUTS& timeouts);
  bool SetMask(uint32_t mask);
  bool WaitEvent(uint32_t& events);
  bool ClearError(uint32_t& errors, COMSTAT* stat);
  bool Read(void* buffer, uint32_t count, uint32_t& read);
  bool Write(const void* buffer, uint32_t count, uint32_t& written);
  bool ModemStatus(uint32_t& status);
  bool Escape(uint32_t function);
  // Byte count of the last completed read or write.
  uint32_t LastTransfer() const;
  int Fd() const { return FFd; }

 private:
  class TOpGuard;
  void ReaderLoop();
  int ReaderTimeoutLocked();
  int StallLeftMsLocked();
  size_t RoomLocked(bool makeRoom) const;
  void Deliver(const uint8_t* data, size_t size, bool makeRoom);
  void RaiseLocked(uint32_t events);
  void CheckTxEmptyLocked();
  void CheckModemLinesLocked();
  void HangUp();
  void WakeReader();
  bool FailIfUnusableLocked();
  uint32_t DriverErrors();

  int FFd;
  int FStopFd = -1;  // eventfd, readable once the port is closing
  int FWakeFd = -1;  // eventfd, wakes the reader when queue space or the mask changed
  std::string FPortName;
  THangupFn FOnHangup;
  std::thread FReader;

  mutable std::mutex FMutex;
  std::condition_variable FChanged;  // bytes, events, mask, closing, hang-up
  std::condition_variable FOpsDone;
  std::deque<uint8_t> FQueue;
  size_t FQueueLimit = 16384;
  // Since when the queue has been full without a read; a full queue that holds no event
  // character and waits for one cannot end by itself (see StallLeftMsLocked).
  std::chrono::steady_clock::time_point FFullSince{};
  DCB FDcb{};
  COMMTIMEOUTS FTimeouts{};
  uint32_t FMask = 0;
  uint32_t FPending = 0;
  uint64_t FMaskGeneration = 0;
  uint32_t FErrors = 0;
  bool FAborted = false;  // fAbortOnError: transfers fail until ClearCommError
  bool FWaiting = false;
  bool FClosed = false;
  bool FHungUp = false;
  bool FTxPending = false;
  bool FNoModemLines = false;
  int FModemLines = -1;
  int FActiveOps = 0;
  TInputDecoder FDecoder;
  uint32_t FLastTransfer = 0;
  serial_icounter_struct FCounts{};
  bool FHaveCounts = false;
};

}  // namespace pzam::comm
