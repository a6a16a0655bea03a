#include "serial/comm/WinCommApi.h"

#include <algorithm>
#include <vector>

#include "serial/comm/PortNames.h"
#include "serial/comm/WinPort.h"
#include "serial/comm/WinShapes.h"

namespace pzam::comm {
namespace {
// Ours, before windows.h makes the name its own macro.
constexpr HANDLE kInvalidHandle = INVALID_HANDLE_VALUE;
}  // namespace
}  // namespace pzam::comm

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
// These three are the interface's method names here, not the system's A/W choices.
#undef CreateFile
#undef BuildCommDCB
#undef GetDefaultCommConfig

namespace {
// The system's, spelled outside our namespace, where HANDLE is the system's type.
const HANDLE kSystemInvalidHandle = INVALID_HANDLE_VALUE;
}  // namespace

namespace pzam::comm {

namespace {

bool Fail(DWORD error) {
  ::SetLastError(error);
  return false;
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const wchar_t* text, int length) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), n, nullptr, nullptr);
  return out;
}

// "COMn" for "COMn" or "\\.\COMn" (any case); empty when the name is no port of 1..99.
std::wstring PortName(const std::string& name) {
  const int number = PortNumberFromName(name);
  return number > 0 ? L"COM" + std::to_wstring(number) : std::wstring();
}

// The caller's record, where one is given, gets the result as a completed call leaves it.
void Complete(OVERLAPPED* ov, bool ok, uint32_t transferred) {
  if (!ov) return;
  ov->Internal = ok ? ERROR_SUCCESS : ::GetLastError();
  ov->InternalHigh = transferred;
}

}  // namespace

TWinCommApi::TWinCommApi() = default;

TWinCommApi::~TWinCommApi() {
  for (auto& [h, port] : FPorts) port->Close();
}

std::shared_ptr<TWinPort> TWinCommApi::Find(HANDLE h) {
  std::lock_guard lock(FMutex);
  auto it = FPorts.find(h);
  if (it != FPorts.end()) return it->second;
  ::SetLastError(ERROR_INVALID_HANDLE);
  return nullptr;
}

HANDLE TWinCommApi::CreateFile(const std::string& name, uint32_t access, uint32_t shareMode,
                               uint32_t creation, uint32_t flags) {
  const std::wstring port = PortName(name);
  if (port.empty()) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return kInvalidHandle;
  }
  // The device path works for every number (COM10 and up need it). Always overlapped: each
  // call of the port runs on a record of its own.
  const std::wstring path = L"\\\\.\\" + port;
  ::HANDLE real = ::CreateFileW(path.c_str(), access, shareMode, nullptr, creation,
                                flags | FILE_FLAG_OVERLAPPED, nullptr);
  if (real == kSystemInvalidHandle) return kInvalidHandle;
  std::lock_guard lock(FMutex);
  const HANDLE h = FNextHandle++;
  FPorts[h] = std::make_shared<TWinPort>(real);
  ::SetLastError(ERROR_SUCCESS);
  return h;
}

bool TWinCommApi::CloseHandle(HANDLE h) {
  std::shared_ptr<TWinPort> port;
  {
    std::lock_guard lock(FMutex);
    auto it = FPorts.find(h);
    if (it == FPorts.end()) return Fail(ERROR_INVALID_HANDLE);
    port = std::move(it->second);
    FPorts.erase(it);
  }
  // Threads still in a call keep the port object; its system handle closes now.
  port->Close();
  return true;
}

bool TWinCommApi::SetupComm(HANDLE h, uint32_t inQueue, uint32_t outQueue) {
  auto port = Find(h);
  return port && port->Setup(inQueue, outQueue);
}

bool TWinCommApi::BuildCommDCB(const std::string& def, DCB& dcb) {
  ::DCB real;
  ToSystem(dcb, real);
  if (!::BuildCommDCBW(Wide(def).c_str(), &real)) return false;
  dcb = FromSystem(real);
  return true;
}

bool TWinCommApi::SetCommState(HANDLE h, const DCB& dcb) {
  auto port = Find(h);
  return port && port->SetState(dcb);
}

bool TWinCommApi::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) {
  auto port = Find(h);
  return port && port->SetTimeouts(timeouts);
}

bool TWinCommApi::SetCommMask(HANDLE h, uint32_t mask) {
  auto port = Find(h);
  return port && port->SetMask(mask);
}

bool TWinCommApi::WaitCommEvent(HANDLE h, uint32_t& eventMask, OVERLAPPED* ov) {
  eventMask = 0;
  auto port = Find(h);
  const bool ok = port && port->WaitEvent(eventMask);
  Complete(ov, ok, 0);
  return ok;
}

bool TWinCommApi::ClearCommError(HANDLE h, uint32_t& errors, COMSTAT* stat) {
  errors = 0;
  auto port = Find(h);
  return port && port->ClearError(errors, stat);
}

bool TWinCommApi::ReadFile(HANDLE h, void* buffer, uint32_t count, uint32_t& read, OVERLAPPED* ov) {
  read = 0;
  auto port = Find(h);
  const bool ok = port && port->Read(buffer, count, read);
  Complete(ov, ok, read);
  return ok;
}

bool TWinCommApi::WriteFile(HANDLE h, const void* buffer, uint32_t count, uint32_t& written,
                            OVERLAPPED* ov) {
  written = 0;
  auto port = Find(h);
  const bool ok = port && port->Write(buffer, count, written);
  Complete(ov, ok, written);
  return ok;
}

bool TWinCommApi::GetOverlappedResult(HANDLE h, OVERLAPPED* ov, uint32_t& transferred,
                                      bool /*wait: every call has ended before it returned*/) {
  transferred = 0;
  auto port = Find(h);
  if (!port) return false;
  if (!ov) {
    transferred = port->LastTransfer();
    return true;
  }
  transferred = static_cast<uint32_t>(ov->InternalHigh);
  if (ov->Internal != ERROR_SUCCESS) return Fail(static_cast<DWORD>(ov->Internal));
  return true;
}

bool TWinCommApi::GetCommModemStatus(HANDLE h, uint32_t& status) {
  status = 0;
  auto port = Find(h);
  return port && port->ModemStatus(status);
}

bool TWinCommApi::EscapeCommFunction(HANDLE h, uint32_t function) {
  auto port = Find(h);
  return port && port->Escape(function);
}

bool TWinCommApi::GetDefaultCommConfig(const std::string& name, COMMCONFIG* config,
                                       uint32_t& size) {
  if (size < sizeof(COMMCONFIG) || !config) {
    size = sizeof(COMMCONFIG);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  const std::wstring port = PortName(name);
  if (port.empty()) return Fail(ERROR_FILE_NOT_FOUND);
  // A provider may want room for data of its own beyond the structure: asked once more then.
  std::vector<::COMMCONFIG> buffer(1);
  DWORD bytes = sizeof(::COMMCONFIG);
  buffer[0].dwSize = bytes;
  BOOL ok = ::GetDefaultCommConfigW(port.c_str(), buffer.data(), &bytes);
  if (!ok && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER && bytes > sizeof(::COMMCONFIG)) {
    buffer.resize((bytes + sizeof(::COMMCONFIG) - 1) / sizeof(::COMMCONFIG));
    buffer[0].dwSize = bytes;
    ok = ::GetDefaultCommConfigW(port.c_str(), buffer.data(), &bytes);
  }
  if (!ok) return false;
  const ::COMMCONFIG& real = buffer[0];
  COMMCONFIG result;
  result.wVersion = real.wVersion;
  result.dcb = FromSystem(real.dcb);
  result.dwProviderSubType = real.dwProviderSubType;  // the provider's data is not carried over
  *config = result;
  size = sizeof(COMMCONFIG);
  ::SetLastError(ERROR_SUCCESS);
  return true;
}

uint32_t TWinCommApi::GetLastError() const {
  return ::GetLastError();
}

std::string TWinCommApi::LastErrorText() const {
  const DWORD code = ::GetLastError();
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = n > 0 ? Utf8(text, static_cast<int>(n)) : "Error " + std::to_string(code);
  if (text) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' '))
    out.pop_back();
  // Asking for the words does not change the reason.
  ::SetLastError(code);
  return out;
}

ICommApi& PlatformCommApi() {
  static TWinCommApi api;
  return api;
}

}  // namespace pzam::comm
