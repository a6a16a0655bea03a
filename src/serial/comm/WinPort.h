// One open serial port of the Win32 backend. Each transfer and each wait runs on an OVERLAPPED
// of its own with its own event, and has ended before the call returns. Where the driver does
// not keep the DCB's event character (Wine), EV_RXFLAG is emulated (EventCharEmulation.h).
// Calls report by result and leave the reason in the thread's last error.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "serial/comm/CommApi.h"
#include "serial/comm/EventCharEmulation.h"

namespace pzam::comm {

class TWinPort {
 public:
  // Takes the system's handle, opened with FILE_FLAG_OVERLAPPED.
  explicit TWinPort(void* real) : FReal(real) {}
  ~TWinPort() { Close(); }
  TWinPort(const TWinPort&) = delete;
  TWinPort& operator=(const TWinPort&) = delete;

  // Closes the system's handle; the driver ends every call pending on it, a WaitCommEvent too.
  // Later calls fail with ERROR_INVALID_HANDLE. May be called more than once.
  void Close();

  bool Setup(uint32_t inQueue, uint32_t outQueue);
  bool SetState(const DCB& dcb);
  bool SetTimeouts(const COMMTIMEOUTS& timeouts);
  // Also wakes a pending WaitEvent, which then returns true with no events.
  bool SetMask(uint32_t mask);
  bool WaitEvent(uint32_t& events);
  bool ClearError(uint32_t& errors, COMSTAT* stat);
  bool Read(void* buffer, uint32_t count, uint32_t& read);
  bool Write(const void* buffer, uint32_t count, uint32_t& written);
  bool ModemStatus(uint32_t& status);
  bool Escape(uint32_t function);
  // Byte count of the last read or write.
  uint32_t LastTransfer() const { return FLastTransfer; }

 private:
  // Starts one overlapped call on the handle (unless it is closed) under the lock, and waits
  // for its end outside it.
  template <class TStart>
  bool Run(TStart start, uint32_t& transferred);
  // Moves what the driver received into the emulation's queue.
  void Drain();
  // Reads the driver's error flags and queue size, keeping the flags for the caller.
  uint32_t DriverQueueLocked();

  void* const FReal;  // never changes; valid until FClosed
  std::atomic<uint32_t> FLastTransfer{0};
  // Reads and drains one at a time, so that bytes leave in the order they came.
  std::mutex FReadMutex;
  // Guards what follows; never held while a call waits. Taken after FReadMutex.
  std::mutex FMutex;
  bool FClosed = false;
  uint64_t FMaskGeneration = 0;  // counts SetMask calls: a change wakes the wait
  TEventCharEmulation FEmulation;
};

}  // namespace pzam::comm
