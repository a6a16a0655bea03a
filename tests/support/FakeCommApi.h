// A scriptable, recording comm layer for tests of call order and failure paths. It behaves as a
// Windows serial driver does where the component relies on it: a receive queue, EV_RXCHAR and
// EV_RXFLAG as bytes arrive, events kept until the next wait, SetCommMask and CloseHandle waking a
// pending WaitCommEvent. Thread-safe: the event thread and the test thread use it at once.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "serial/comm/CommApi.h"

namespace pzam::comm {

class TFakeCommApi : public ICommApi {
 public:
  // Every call so far as "Name(arg,...)", in order.
  std::vector<std::string> Calls() const;
  // The names alone, in order.
  std::vector<std::string> CallNames() const;
  size_t CountOf(const std::string& name) const;
  void ClearCalls();

  // The next `times` calls of `name` fail with `error`; times < 0: every call from now on.
  void FailCall(const std::string& name, uint32_t error, int times = -1);
  // Names the presence probe (GetDefaultCommConfig) answers to, e.g. "COM3", "\\.\COM12".
  void SetPresent(std::set<std::string> names);
  // Bytes arriving on the line of the last opened handle.
  void Receive(const std::string& bytes);
  // Line events (EV_CTS, EV_BREAK, ...) on the last opened handle; kept only when in its mask.
  void RaiseEvents(uint32_t events);
  // The next ReadFile delivers at most n bytes.
  void LimitNextRead(uint32_t n);
  // ReadFile and WriteFile report ERROR_IO_PENDING; GetOverlappedResult completes them.
  void SetPendingTransfers(bool on);
  // Everything written so far.
  std::string Written() const;
  DCB LastDcb() const;
  COMMTIMEOUTS LastTimeouts() const;
  size_t OpenHandleCount() const;
  // Waits until `n` threads are blocked in WaitCommEvent; false on time-out.
  bool WaitForWaiters(int n, std::chrono::milliseconds timeout);
  // Waits until WaitCommEvent has been entered `calls` times in all and a thread is blocked in
  // it (the event thread is back waiting after a dispatch); false on time-out.
  bool WaitForWaitCall(size_t calls, std::chrono::milliseconds timeout);

  HANDLE CreateFile(const std::string& name, uint32_t access, uint32_t shareMode, uint32_t creation,
                    uint32_t flags) override;
  bool CloseHandle(HANDLE h) override;
  bool SetupComm(HANDLE h, uint32_t inQueue, uint32_t outQueue) override;
  bool BuildCommDCB(const std::string& def, DCB& dcb) override;
  bool SetCommState(HANDLE h, const DCB& dcb) override;
  bool SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) override;
  bool SetCommMask(HANDLE h, uint32_t mask) override;
  bool WaitCommEvent(HANDLE h, uint32_t& eventMask, OVERLAPPED* ov) override;
  bool ClearCommError(HANDLE h, uint32_t& errors, COMSTAT* stat) override;
  bool ReadFile(HANDLE h, void* buffer, uint32_t count, uint32_t& read, OVERLAPPED* ov) override;
  bool WriteFile(HANDLE h, const void* buffer, uint32_t count, uint32_t& written,
                 OVERLAPPED* ov) override;
  bool GetOverlappedResult(HANDLE h, OVERLAPPED* ov, uint32_t& transferred, bool wait) override;
  bool GetCommModemStatus(HANDLE h, uint32_t& status) override;
  bool EscapeCommFunction(HANDLE h, uint32_t function) override;
  bool GetDefaultCommConfig(const std::string& name, COMMCONFIG* config, uint32_t& size) override;
  uint32_t GetLastError() const override;
  std::string LastErrorText() const override;

 private:
  struct TPort {
    std::string Name;
    uint32_t Mask = 0;
    uint32_t Pending = 0;
    uint64_t MaskGeneration = 0;
    char EvtChar = 0;
    std::string Rx;
  };

  // Records the call; false (with the error set) when it was told to fail.
  bool Enter(std::unique_lock<std::mutex>& lock, const std::string& name, const std::string& args);
  TPort* Find(HANDLE h);
  bool Fail(uint32_t error);

  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  std::vector<std::string> FCalls;
  std::map<std::string, std::pair<uint32_t, int>> FFailures;
  std::set<std::string> FPresent;
  std::map<HANDLE, TPort> FPorts;
  HANDLE FNextHandle = 100;
  HANDLE FLastOpened = INVALID_HANDLE_VALUE;
  std::string FWritten;
  uint32_t FReadLimit = UINT32_MAX;
  bool FPending = false;
  int FWaiters = 0;
  size_t FWaitCalls = 0;
  DCB FLastDcb;
  COMMTIMEOUTS FLastTimeouts;
};

// The comm layer with `names` present, for a port manager whose first scan comes right after.
inline TFakeCommApi& WithPresent(TFakeCommApi& api, std::set<std::string> names) {
  api.SetPresent(std::move(names));
  return api;
}

}  // namespace pzam::comm
