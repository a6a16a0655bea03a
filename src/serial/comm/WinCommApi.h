// The Win32 backend of the comm calls: kernel32's serial functions. Ports open with
// FILE_FLAG_OVERLAPPED; every transfer and wait runs on a system OVERLAPPED of its own (with its
// own event) and has ended before the call returns. The caller's OVERLAPPED, if any, then holds
// the result for GetOverlappedResult. Ending inside the call is what keeps the caller's buffer
// safe: the component passes records and buffers that live on its stack and, without SyncWait,
// asks GetOverlappedResult not to wait, so a call still pending after that would write into
// freed memory. Reads and writes end within the time-out block, a wait with its event (or when
// SetCommMask or CloseHandle wakes it).
#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "serial/comm/CommApi.h"
#include "serial/comm/PlatformCommApi.h"

namespace pzam::comm {

class TWinPort;

class TWinCommApi : public ICommApi {
 public:
  TWinCommApi();
  ~TWinCommApi() override;

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
  std::shared_ptr<TWinPort> Find(HANDLE h);

  // Our handles are numbers of our own: a system handle value may come back for another port
  // once closed, while a thread still holds the old port.
  std::mutex FMutex;
  std::map<HANDLE, std::shared_ptr<TWinPort>> FPorts;
  HANDLE FNextHandle = 0x100;
};

}  // namespace pzam::comm
