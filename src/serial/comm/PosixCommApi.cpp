#include "serial/comm/PosixCommApi.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "common/Errors.h"
#include "common/ReasonTexts.h"
#include "serial/comm/CommErrors.h"
#include "serial/comm/LineSpeed.h"
#include "serial/comm/ModeText.h"
#include "serial/comm/PosixPort.h"
#include "serial/comm/TermiosMap.h"

namespace pzam::comm {

namespace {

void SetOpenError(int err, const std::string& device) {
  SetCommError(ErrorFromErrno(err == EWOULDBLOCK ? EBUSY : err), OpenErrorText(err, device));
}

void FillDefaultConfig(COMMCONFIG& config) {
  config = COMMCONFIG{};
  config.dcb.BaudRate = 9600;
  config.dcb.ByteSize = 8;
  config.dcb.Flags = DCB_fBinary | (1u << DCB_fDtrControlShift) | (1u << DCB_fRtsControlShift);
  config.dcb.XonChar = 17;
  config.dcb.XoffChar = 19;
  config.dwProviderSubType = 1;  // PST_RS232
}

void ReadConfig(int fd, COMMCONFIG& config) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return;
  if (uint32_t speed = GetLineSpeed(fd)) config.dcb.BaudRate = speed;
  switch (tio.c_cflag & CSIZE) {
    case CS5:
      config.dcb.ByteSize = 5;
      break;
    case CS6:
      config.dcb.ByteSize = 6;
      break;
    case CS7:
      config.dcb.ByteSize = 7;
      break;
    default:
      config.dcb.ByteSize = 8;
      break;
  }
  if (tio.c_cflag & PARENB) {
    bool odd = tio.c_cflag & PARODD;
    config.dcb.Parity =
        (tio.c_cflag & CMSPAR) ? (odd ? MARKPARITY : SPACEPARITY) : (odd ? ODDPARITY : EVENPARITY);
  }
  if (tio.c_cflag & CSTOPB)
    config.dcb.StopBits = config.dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
}

}  // namespace

TPosixCommApi::TPosixCommApi(TPortNames& names) : FNames(names) {}

TPosixCommApi::~TPosixCommApi() {
  std::map<HANDLE, std::shared_ptr<TPosixPort>> ports;
  {
    std::lock_guard lock(FMutex);
    ports.swap(FPorts);
  }
  for (auto& [h, port] : ports) port->Close();
}

void TPosixCommApi::SetHangupCallback(THangupCallback callback) {
  std::lock_guard lock(FMutex);
  FHangup = callback ? std::make_shared<THangupCallback>(std::move(callback)) : nullptr;
}

void TPosixCommApi::OnHangup(const std::string& portName) {
  std::shared_ptr<THangupCallback> callback;
  {
    std::lock_guard lock(FMutex);
    callback = FHangup;
  }
  if (callback) (*callback)(portName);
}

std::shared_ptr<TPosixPort> TPosixCommApi::Find(HANDLE h) {
  std::lock_guard lock(FMutex);
  auto it = FPorts.find(h);
  if (it != FPorts.end()) return it->second;
  SetCommError(ERROR_INVALID_HANDLE, "Invalid handle");
  return nullptr;
}

std::string TPosixCommApi::DeviceOf(const std::string& name) {
  int number = PortNumberFromName(name);
  std::string device = number > 0 ? FNames.Resolve(number) : std::string();
  if (device.empty())
    SetCommError(ERROR_FILE_NOT_FOUND, "No device is assigned to the port " + name);
  return device;
}

HANDLE TPosixCommApi::CreateFile(const std::string& name, uint32_t /*access*/,
                                 uint32_t /*shareMode: always exclusive*/, uint32_t creation,
                                 uint32_t /*flags: transfers complete at once*/) {
  if (creation != OPEN_EXISTING) {
    SetCommError(ERROR_INVALID_PARAMETER, "Serial ports can only be opened as existing");
    return INVALID_HANDLE_VALUE;
  }
  std::string device = DeviceOf(name);
  if (device.empty()) return INVALID_HANDLE_VALUE;
  int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetOpenError(errno, device);
    return INVALID_HANDLE_VALUE;
  }
  auto fail = [&](int err) {
    close(fd);
    SetOpenError(err, device);
    return INVALID_HANDLE_VALUE;
  };
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    close(fd);
    SetCommError(ERROR_FILE_NOT_FOUND, ReasonText(kReasonNotASerialDevice, device));
    return INVALID_HANDLE_VALUE;
  }
  // Exclusive as share mode 0: a second opener (this or another program) is refused.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno);
  (void)ioctl(fd, TIOCEXCL);
  // Raw at once, so that no byte meets line editing, and nothing from before the opening.
  MakeRaw(tio);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail(errno);
  (void)tcflush(fd, TCIFLUSH);

  std::string portName = "COM" + std::to_string(PortNumberFromName(name));
  auto port =
      std::make_shared<TPosixPort>(fd, portName, [this](const std::string& n) { OnHangup(n); });
  if (!port->Start()) return INVALID_HANDLE_VALUE;
  std::lock_guard lock(FMutex);
  HANDLE h = FNextHandle++;
  FPorts[h] = std::move(port);
  ClearCommErrorState();
  return h;
}

bool TPosixCommApi::CloseHandle(HANDLE h) {
  std::shared_ptr<TPosixPort> port;
  {
    std::lock_guard lock(FMutex);
    auto it = FPorts.find(h);
    if (it == FPorts.end()) {
      SetCommError(ERROR_INVALID_HANDLE, "Invalid handle");
      return false;
    }
    port = std::move(it->second);
    FPorts.erase(it);
  }
  port->Close();
  return true;
}

bool TPosixCommApi::SetupComm(HANDLE h, uint32_t inQueue, uint32_t outQueue) {
  auto port = Find(h);
  return port && port->Setup(inQueue, outQueue);
}

bool TPosixCommApi::BuildCommDCB(const std::string& def, DCB& dcb) {
  if (ParseModeText(def, dcb)) return true;
  SetCommError(ERROR_INVALID_PARAMETER, "Invalid mode text: " + def);
  return false;
}

bool TPosixCommApi::SetCommState(HANDLE h, const DCB& dcb) {
  auto port = Find(h);
  return port && port->SetState(dcb);
}

bool TPosixCommApi::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) {
  auto port = Find(h);
  return port && port->SetTimeouts(timeouts);
}

bool TPosixCommApi::SetCommMask(HANDLE h, uint32_t mask) {
  auto port = Find(h);
  return port && port->SetMask(mask);
}

bool TPosixCommApi::WaitCommEvent(HANDLE h, uint32_t& eventMask, OVERLAPPED* ov) {
  auto port = Find(h);
  bool ok = port && port->WaitEvent(eventMask);
  if (ov) ov->Internal = ok ? 0 : 1;
  return ok;
}

bool TPosixCommApi::ClearCommError(HANDLE h, uint32_t& errors, COMSTAT* stat) {
  auto port = Find(h);
  if (!port) {
    errors = 0;
    return false;
  }
  return port->ClearError(errors, stat);
}

bool TPosixCommApi::ReadFile(HANDLE h, void* buffer, uint32_t count, uint32_t& read,
                             OVERLAPPED* ov) {
  read = 0;
  auto port = Find(h);
  bool ok = port && port->Read(buffer, count, read);
  if (ov) ov->InternalHigh = read;
  return ok;
}

bool TPosixCommApi::WriteFile(HANDLE h, const void* buffer, uint32_t count, uint32_t& written,
                              OVERLAPPED* ov) {
  written = 0;
  auto port = Find(h);
  bool ok = port && port->Write(buffer, count, written);
  if (ov) ov->InternalHigh = written;
  return ok;
}

bool TPosixCommApi::GetOverlappedResult(HANDLE h, OVERLAPPED* ov, uint32_t& transferred,
                                        bool /*wait: nothing is ever pending here*/) {
  auto port = Find(h);
  if (!port) {
    transferred = 0;
    return false;
  }
  transferred = ov ? static_cast<uint32_t>(ov->InternalHigh) : port->LastTransfer();
  return true;
}

bool TPosixCommApi::GetCommModemStatus(HANDLE h, uint32_t& status) {
  status = 0;
  auto port = Find(h);
  return port && port->ModemStatus(status);
}

bool TPosixCommApi::EscapeCommFunction(HANDLE h, uint32_t function) {
  auto port = Find(h);
  return port && port->Escape(function);
}

bool TPosixCommApi::GetDefaultCommConfig(const std::string& name, COMMCONFIG* config,
                                         uint32_t& size) {
  if (size < sizeof(COMMCONFIG) || !config) {
    size = sizeof(COMMCONFIG);
    SetCommError(ERROR_INSUFFICIENT_BUFFER, "The buffer is too small");
    return false;
  }
  std::string device = DeviceOf(name);
  if (device.empty()) return false;
  COMMCONFIG result;
  FillDefaultConfig(result);
  // Never blocks: no wait for carrier, and a port held by another program opens or fails at once.
  int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    int err = errno;
    // A port that exists but is not ours to open now is present all the same.
    if (err != EACCES && err != EPERM && err != EBUSY) {
      SetOpenError(err, device);
      return false;
    }
  } else {
    termios tio{};
    bool isTerminal = tcgetattr(fd, &tio) == 0;
    if (isTerminal) ReadConfig(fd, result);
    close(fd);
    if (!isTerminal) {
      SetCommError(ERROR_FILE_NOT_FOUND, ReasonText(kReasonNotASerialDevice, device));
      return false;
    }
  }
  *config = result;
  size = sizeof(COMMCONFIG);
  ClearCommErrorState();
  return true;
}

uint32_t TPosixCommApi::GetLastError() const {
  return LastCommError();
}

std::string TPosixCommApi::LastErrorText() const {
  return LastCommErrorText();
}

TPosixCommApi& PlatformPosixCommApi() {
  static TPosixCommApi api(PlatformPortNames());
  return api;
}

ICommApi& PlatformCommApi() {
  return PlatformPosixCommApi();
}

}  // namespace pzam::comm
