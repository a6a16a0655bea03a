#include "serial/comm/WinPort.h"

#include <algorithm>
#include <vector>

#include "serial/comm/WinShapes.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace pzam::comm {

namespace {

bool Fail(DWORD error) {
  ::SetLastError(error);
  return false;
}

// One overlapped call: a record and a manual-reset event of its own, so that no completion can
// be taken for another's.
class TCall {
 public:
  TCall() { FOv.hEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~TCall() {
    if (FOv.hEvent) ::CloseHandle(FOv.hEvent);
  }
  TCall(const TCall&) = delete;
  TCall& operator=(const TCall&) = delete;

  bool Ok() const { return FOv.hEvent != nullptr; }
  ::OVERLAPPED* Record() { return &FOv; }

  // Waits for the end of the call that its start answered with started (error: the start's last
  // error). The record and its event live until the call has ended, also when the handle is
  // closed meanwhile: the driver then ends the call (ERROR_OPERATION_ABORTED) and sets the
  // event. Once ended, GetOverlappedResult reads the record only.
  bool Finish(::HANDLE real, BOOL started, DWORD error, DWORD& transferred) {
    transferred = 0;
    if (!started && error != ERROR_IO_PENDING) return Fail(error);
    ::WaitForSingleObject(FOv.hEvent, INFINITE);
    return ::GetOverlappedResult(real, &FOv, &transferred, FALSE) != FALSE;
  }

 private:
  ::OVERLAPPED FOv{};
};

}  // namespace

template <class TStart>
bool TWinPort::Run(TStart start, uint32_t& transferred) {
  transferred = 0;
  TCall call;
  if (!call.Ok()) return false;
  BOOL started = FALSE;
  DWORD error = ERROR_SUCCESS;
  {
    std::lock_guard lock(FMutex);
    if (FClosed) return Fail(ERROR_INVALID_HANDLE);
    started = start(FReal, call.Record());
    if (!started) error = ::GetLastError();
  }
  DWORD n = 0;
  const bool ok = call.Finish(FReal, started, error, n);
  transferred = n;
  return ok;
}

void TWinPort::Close() {
  std::lock_guard lock(FMutex);
  if (FClosed) return;
  FClosed = true;
  // Ends what other threads have pending here before the handle goes.
  ::CancelIoEx(FReal, nullptr);
  ::CloseHandle(FReal);
}

uint32_t TWinPort::DriverQueueLocked() {
  DWORD errors = 0;
  ::COMSTAT stat{};
  if (!::ClearCommError(FReal, &errors, &stat)) return 0;
  FEmulation.KeepErrors(errors);
  return stat.cbInQue;
}

bool TWinPort::Setup(uint32_t inQueue, uint32_t outQueue) {
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  if (!::SetupComm(FReal, inQueue, outQueue)) return false;
  if (inQueue > 0) FEmulation.SetLimit(inQueue);
  return true;
}

bool TWinPort::SetState(const DCB& dcb) {
  ::DCB real;
  ToSystem(dcb, real);
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  if (!::SetCommState(FReal, &real)) return false;
  // A driver that does not keep the event character (Wine reads it back as 0) never reports
  // EV_RXFLAG: the backend then looks for the character itself.
  ::DCB back{};
  back.DCBlength = sizeof back;
  const bool keeps = ::GetCommState(FReal, &back) && back.EvtChar == real.EvtChar;
  const uint32_t before = FEmulation.DriverMask();
  FEmulation.Configure(dcb.EvtChar, keeps);
  if (FEmulation.DriverMask() != before) {
    // A new driver mask wakes a pending wait as the caller's SetCommMask does.
    ++FMaskGeneration;
    ::SetCommMask(FReal, FEmulation.DriverMask());
  }
  return true;
}

bool TWinPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  ::COMMTIMEOUTS real;
  ToSystem(timeouts, real);
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  return ::SetCommTimeouts(FReal, &real) != FALSE;
}

bool TWinPort::SetMask(uint32_t mask) {
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  ++FMaskGeneration;
  return ::SetCommMask(FReal, FEmulation.SetMask(mask)) != FALSE;
}

bool TWinPort::WaitEvent(uint32_t& events) {
  events = 0;
  uint64_t generation = 0;
  {
    std::lock_guard lock(FMutex);
    if (FClosed) return Fail(ERROR_INVALID_HANDLE);
    generation = FMaskGeneration;
  }
  for (;;) {
    TCall call;
    if (!call.Ok()) return false;
    DWORD driverEvents = 0;
    BOOL started = FALSE;
    DWORD error = ERROR_SUCCESS;
    bool emulating = false;
    {
      std::lock_guard lock(FMutex);
      if (FClosed) return Fail(ERROR_OPERATION_ABORTED);
      // A mask set since this wait began wakes it, also between two waits of the driver (the
      // driver wakes only a wait it has pending).
      if (FMaskGeneration != generation) return true;
      if ((events = FEmulation.TakeKept()) != 0) return true;
      emulating = FEmulation.Active();
      started = ::WaitCommEvent(FReal, &driverEvents, call.Record());
      if (!started) error = ::GetLastError();
    }
    DWORD unused = 0;
    if (!call.Finish(FReal, started, error, unused)) {
      // Wine ends the wait a new mask wakes as cancelled, where Windows ends it with no events.
      const DWORD reason = ::GetLastError();
      std::lock_guard lock(FMutex);
      if (reason == ERROR_OPERATION_ABORTED && !FClosed && FMaskGeneration != generation)
        return true;
      return Fail(reason);
    }
    // No events: the driver's wake for a new mask, which goes to the caller as it is.
    if (!emulating || driverEvents == 0) {
      events = driverEvents;
      return true;
    }
    if (driverEvents & EV_RXCHAR) Drain();
    std::lock_guard lock(FMutex);
    if ((events = FEmulation.Report(driverEvents)) != 0) return true;
  }
}

void TWinPort::Drain() {
  std::lock_guard reads(FReadMutex);
  uint32_t waiting = 0;
  {
    std::lock_guard lock(FMutex);
    if (FClosed) return;
    waiting = DriverQueueLocked();
  }
  if (waiting == 0) return;
  // The bytes are there: the read ends at once (on Wine too, where an overlapped read with
  // nothing received waits for a byte).
  std::vector<uint8_t> bytes(waiting);
  uint32_t got = 0;
  Run([&](::HANDLE real,
          ::OVERLAPPED* ov) { return ::ReadFile(real, bytes.data(), waiting, nullptr, ov); },
      got);
  std::lock_guard lock(FMutex);
  FEmulation.Store(bytes.data(), got);
}

bool TWinPort::Read(void* buffer, uint32_t count, uint32_t& read) {
  read = 0;
  auto* bytes = static_cast<uint8_t*>(buffer);
  std::lock_guard reads(FReadMutex);
  uint32_t taken = 0, more = 0;
  {
    std::lock_guard lock(FMutex);
    if (FClosed) return Fail(ERROR_INVALID_HANDLE);
    taken = static_cast<uint32_t>(FEmulation.Take(bytes, count));
    more = count - taken;
    // Bytes from the emulation's queue are the answer, with what the driver already holds: a
    // read for more would wait for the next byte on Wine.
    if (taken > 0 && more > 0) more = std::min(more, DriverQueueLocked());
  }
  uint32_t got = 0;
  bool ok = true;
  if (more > 0) {
    ok = Run([&](::HANDLE real,
                 ::OVERLAPPED* ov) { return ::ReadFile(real, bytes + taken, more, nullptr, ov); },
             got);
    std::lock_guard lock(FMutex);
    FEmulation.Scan(bytes + taken, got);
  }
  read = taken + got;
  FLastTransfer = read;
  // Bytes already taken from the queue are delivered; the driver's failure shows next time.
  return ok || taken > 0;
}

bool TWinPort::Write(const void* buffer, uint32_t count, uint32_t& written) {
  const bool ok =
      Run([&](::HANDLE real,
              ::OVERLAPPED* ov) { return ::WriteFile(real, buffer, count, nullptr, ov); },
          written);
  FLastTransfer = written;
  return ok;
}

bool TWinPort::ClearError(uint32_t& errors, COMSTAT* stat) {
  errors = 0;
  DWORD driverErrors = 0;
  ::COMSTAT real{};
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  if (!::ClearCommError(FReal, &driverErrors, &real)) return false;
  errors = driverErrors | FEmulation.TakeErrors();
  if (stat) *stat = FromSystem(real, static_cast<uint32_t>(FEmulation.Queued()));
  return true;
}

bool TWinPort::ModemStatus(uint32_t& status) {
  status = 0;
  DWORD lines = 0;
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  if (!::GetCommModemStatus(FReal, &lines)) return false;
  status = lines;
  return true;
}

bool TWinPort::Escape(uint32_t function) {
  std::lock_guard lock(FMutex);
  if (FClosed) return Fail(ERROR_INVALID_HANDLE);
  return ::EscapeCommFunction(FReal, function) != FALSE;
}

}  // namespace pzam::comm
