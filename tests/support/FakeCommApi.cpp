#include "support/FakeCommApi.h"

#include <algorithm>
#include <cstring>

namespace pzam::comm {
namespace {

thread_local uint32_t tLastError = ERROR_SUCCESS;
constexpr uint32_t ERROR_IO_INCOMPLETE = 996;

std::string Hex(uint32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%X", v);
  return buf;
}

std::string Join(std::initializer_list<std::string> parts) {
  std::string out;
  for (const auto& p : parts) out += (out.empty() ? "" : ",") + p;
  return out;
}

}  // namespace

std::vector<std::string> TFakeCommApi::Calls() const {
  std::lock_guard lock(FMutex);
  return FCalls;
}

std::vector<std::string> TFakeCommApi::CallNames() const {
  std::vector<std::string> names = Calls();
  for (auto& c : names) c = c.substr(0, c.find('('));
  return names;
}

size_t TFakeCommApi::CountOf(const std::string& name) const {
  const auto names = CallNames();
  return static_cast<size_t>(std::count(names.begin(), names.end(), name));
}

void TFakeCommApi::ClearCalls() {
  std::lock_guard lock(FMutex);
  FCalls.clear();
}

void TFakeCommApi::FailCall(const std::string& name, uint32_t error, int times) {
  std::lock_guard lock(FMutex);
  FFailures[name] = {error, times};
}

void TFakeCommApi::SetPresent(std::set<std::string> names) {
  std::lock_guard lock(FMutex);
  FPresent = std::move(names);
}

void TFakeCommApi::Receive(const std::string& bytes) {
  std::lock_guard lock(FMutex);
  TPort* port = Find(FLastOpened);
  if (!port || bytes.empty()) return;
  port->Rx += bytes;
  uint32_t events = EV_RXCHAR;
  if (bytes.find(port->EvtChar) != std::string::npos) events |= EV_RXFLAG;
  port->Pending |= events & port->Mask;
  FChanged.notify_all();
}

void TFakeCommApi::RaiseEvents(uint32_t events) {
  std::lock_guard lock(FMutex);
  if (TPort* port = Find(FLastOpened)) port->Pending |= events & port->Mask;
  FChanged.notify_all();
}

void TFakeCommApi::LimitNextRead(uint32_t n) {
  std::lock_guard lock(FMutex);
  FReadLimit = n;
}

void TFakeCommApi::SetPendingTransfers(bool on) {
  std::lock_guard lock(FMutex);
  FPending = on;
}

std::string TFakeCommApi::Written() const {
  std::lock_guard lock(FMutex);
  return FWritten;
}

DCB TFakeCommApi::LastDcb() const {
  std::lock_guard lock(FMutex);
  return FLastDcb;
}

COMMTIMEOUTS TFakeCommApi::LastTimeouts() const {
  std::lock_guard lock(FMutex);
  return FLastTimeouts;
}

size_t TFakeCommApi::OpenHandleCount() const {
  std::lock_guard lock(FMutex);
  return FPorts.size();
}

bool TFakeCommApi::WaitForWaiters(int n, std::chrono::milliseconds timeout) {
  std::unique_lock lock(FMutex);
  return FChanged.wait_for(lock, timeout, [&] { return FWaiters >= n; });
}

bool TFakeCommApi::WaitForWaitCall(size_t calls, std::chrono::milliseconds timeout) {
  std::unique_lock lock(FMutex);
  return FChanged.wait_for(lock, timeout, [&] { return FWaitCalls >= calls && FWaiters > 0; });
}

bool TFakeCommApi::Enter(std::unique_lock<std::mutex>&, const std::string& name,
                         const std::string& args) {
  FCalls.push_back(name + "(" + args + ")");
  auto it = FFailures.find(name);
  if (it == FFailures.end() || it->second.second == 0) {
    tLastError = ERROR_SUCCESS;
    return true;
  }
  if (it->second.second > 0) --it->second.second;
  return Fail(it->second.first);
}

TFakeCommApi::TPort* TFakeCommApi::Find(HANDLE h) {
  auto it = FPorts.find(h);
  return it == FPorts.end() ? nullptr : &it->second;
}

bool TFakeCommApi::Fail(uint32_t error) {
  tLastError = error;
  return false;
}

HANDLE TFakeCommApi::CreateFile(const std::string& name, uint32_t access, uint32_t shareMode,
                                uint32_t creation, uint32_t flags) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "CreateFile",
             Join({name, Hex(access), std::to_string(shareMode), std::to_string(creation),
                   Hex(flags)})))
    return INVALID_HANDLE_VALUE;
  const HANDLE h = FNextHandle++;
  FPorts[h].Name = name;
  FLastOpened = h;
  return h;
}

bool TFakeCommApi::CloseHandle(HANDLE h) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "CloseHandle", std::to_string(h))) return false;
  if (FPorts.erase(h) == 0) return Fail(ERROR_INVALID_HANDLE);
  FChanged.notify_all();
  return true;
}

bool TFakeCommApi::SetupComm(HANDLE h, uint32_t inQueue, uint32_t outQueue) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "SetupComm",
             Join({std::to_string(h), std::to_string(inQueue), std::to_string(outQueue)})))
    return false;
  return Find(h) ? true : Fail(ERROR_INVALID_HANDLE);
}

bool TFakeCommApi::BuildCommDCB(const std::string& def, DCB& dcb) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "BuildCommDCB", def)) return false;
  // Only the base text the component uses is understood.
  if (def != "baud=9600 parity=N data=8 stop=1") return Fail(ERROR_INVALID_PARAMETER);
  dcb.BaudRate = 9600;
  dcb.Flags = DCB_fBinary | (1u << DCB_fDtrControlShift) | (1u << DCB_fRtsControlShift);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.wReserved = 0x5A5A;  // to see that the component leaves the reserved words alone
  dcb.wReserved1 = 0xA5A5;
  return true;
}

bool TFakeCommApi::SetCommState(HANDLE h, const DCB& dcb) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "SetCommState",
             Join({std::to_string(h), std::to_string(dcb.BaudRate), Hex(dcb.Flags)})))
    return false;
  TPort* port = Find(h);
  if (!port) return Fail(ERROR_INVALID_HANDLE);
  port->EvtChar = dcb.EvtChar;
  FLastDcb = dcb;
  return true;
}

bool TFakeCommApi::SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& t) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "SetCommTimeouts", std::to_string(h))) return false;
  if (!Find(h)) return Fail(ERROR_INVALID_HANDLE);
  FLastTimeouts = t;
  return true;
}

bool TFakeCommApi::SetCommMask(HANDLE h, uint32_t mask) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "SetCommMask", Join({std::to_string(h), Hex(mask)}))) return false;
  TPort* port = Find(h);
  if (!port) return Fail(ERROR_INVALID_HANDLE);
  port->Mask = mask;
  port->Pending &= mask;
  ++port->MaskGeneration;
  FChanged.notify_all();
  return true;
}

bool TFakeCommApi::WaitCommEvent(HANDLE h, uint32_t& eventMask, OVERLAPPED*) {
  std::unique_lock lock(FMutex);
  eventMask = 0;
  if (!Enter(lock, "WaitCommEvent", std::to_string(h))) return false;
  TPort* port = Find(h);
  if (!port) return Fail(ERROR_INVALID_HANDLE);
  const uint64_t generation = port->MaskGeneration;
  ++FWaitCalls;
  ++FWaiters;
  FChanged.notify_all();
  FChanged.wait(lock, [&] {
    port = Find(h);
    return !port || port->Pending != 0 || port->MaskGeneration != generation;
  });
  --FWaiters;
  if (!port) return Fail(ERROR_OPERATION_ABORTED);
  // A changed mask ends the wait with no events, as the driver does.
  eventMask = port->Pending;
  port->Pending = 0;
  return true;
}

bool TFakeCommApi::ClearCommError(HANDLE h, uint32_t& errors, COMSTAT* stat) {
  std::unique_lock lock(FMutex);
  errors = 0;
  if (!Enter(lock, "ClearCommError", std::to_string(h))) return false;
  TPort* port = Find(h);
  if (!port) return Fail(ERROR_INVALID_HANDLE);
  if (stat) {
    stat->cbInQue = static_cast<uint32_t>(port->Rx.size());
    stat->cbOutQue = 0;
  }
  return true;
}

bool TFakeCommApi::ReadFile(HANDLE h, void* buffer, uint32_t count, uint32_t& read,
                            OVERLAPPED* ov) {
  std::unique_lock lock(FMutex);
  read = 0;
  if (!Enter(lock, "ReadFile", Join({std::to_string(h), std::to_string(count)}))) return false;
  TPort* port = Find(h);
  if (!port) return Fail(ERROR_INVALID_HANDLE);
  const uint32_t n = std::min({count, FReadLimit, static_cast<uint32_t>(port->Rx.size())});
  FReadLimit = UINT32_MAX;
  std::memcpy(buffer, port->Rx.data(), n);
  port->Rx.erase(0, n);
  if (FPending && ov) {
    ov->InternalHigh = n;
    return Fail(ERROR_IO_PENDING);
  }
  read = n;
  return true;
}

bool TFakeCommApi::WriteFile(HANDLE h, const void* buffer, uint32_t count, uint32_t& written,
                             OVERLAPPED* ov) {
  std::unique_lock lock(FMutex);
  written = 0;
  const std::string data(static_cast<const char*>(buffer), count);
  if (!Enter(lock, "WriteFile", Join({std::to_string(h), data}))) return false;
  if (!Find(h)) return Fail(ERROR_INVALID_HANDLE);
  FWritten += data;
  if (FPending && ov) {
    ov->InternalHigh = count;
    return Fail(ERROR_IO_PENDING);
  }
  written = count;
  return true;
}

bool TFakeCommApi::GetOverlappedResult(HANDLE h, OVERLAPPED* ov, uint32_t& transferred, bool wait) {
  std::unique_lock lock(FMutex);
  transferred = 0;
  if (!Enter(lock, "GetOverlappedResult", Join({std::to_string(h), wait ? "1" : "0"})))
    return false;
  if (!Find(h) || !ov) return Fail(ERROR_INVALID_HANDLE);
  // Without waiting a pending transfer is still under way.
  if (!wait) return Fail(ERROR_IO_INCOMPLETE);
  transferred = static_cast<uint32_t>(ov->InternalHigh);
  return true;
}

bool TFakeCommApi::GetCommModemStatus(HANDLE h, uint32_t& status) {
  std::unique_lock lock(FMutex);
  status = 0;
  if (!Enter(lock, "GetCommModemStatus", std::to_string(h))) return false;
  return Find(h) ? true : Fail(ERROR_INVALID_HANDLE);
}

bool TFakeCommApi::EscapeCommFunction(HANDLE h, uint32_t function) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "EscapeCommFunction", Join({std::to_string(h), std::to_string(function)})))
    return false;
  return Find(h) ? true : Fail(ERROR_INVALID_HANDLE);
}

bool TFakeCommApi::GetDefaultCommConfig(const std::string& name, COMMCONFIG* config,
                                        uint32_t& size) {
  std::unique_lock lock(FMutex);
  if (!Enter(lock, "GetDefaultCommConfig", Join({name, std::to_string(size)}))) return false;
  if (!FPresent.contains(name)) return Fail(ERROR_FILE_NOT_FOUND);
  if (size < sizeof(COMMCONFIG)) return Fail(ERROR_INSUFFICIENT_BUFFER);
  *config = COMMCONFIG{};
  return true;
}

uint32_t TFakeCommApi::GetLastError() const {
  return tLastError;
}

std::string TFakeCommApi::LastErrorText() const {
  return "fake error " + std::to_string(tLastError);
}

}  // namespace pzam::comm
