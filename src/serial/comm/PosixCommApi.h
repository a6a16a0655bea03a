// The POSIX backend of the comm calls: termios devices behaving as a Windows serial driver.
// Names COMn are resolved through a TPortNames; handles stay valid until CloseHandle (also
// after a hang-up, when every call but CloseHandle fails with ERROR_DEVICE_REMOVED).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>

#include "serial/comm/CommApi.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"

namespace pzam::comm {

class TPosixPort;

class TPosixCommApi : public ICommApi {
 public:
  // Called once per open handle whose line hangs up, with the port name ("COM5"), on a thread
  // of the backend: it must return quickly (post to the window thread) and not block.
  using THangupCallback = std::function<void(const std::string& portName)>;

  explicit TPosixCommApi(TPortNames& names);
  ~TPosixCommApi() override;

  void SetHangupCallback(THangupCallback callback);
  TPortNames& Names() { return FNames; }

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
  std::shared_ptr<TPosixPort> Find(HANDLE h);
  // The device of a port name, or "" with the last error set.
  std::string DeviceOf(const std::string& name);
  void OnHangup(const std::string& portName);

  TPortNames& FNames;
  std::mutex FMutex;
  std::map<HANDLE, std::shared_ptr<TPosixPort>> FPorts;
  HANDLE FNextHandle = 0x100;
  std::shared_ptr<THangupCallback> FHangup;
};

// The platform backend (PlatformCommApi()) with its POSIX extras: hang-up callback, names.
TPosixCommApi& PlatformPosixCommApi();

}  // namespace pzam::comm
