#include "serial/comm/PosixPort.h"

#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "serial/comm/CommErrors.h"
#include "serial/comm/TermiosMap.h"

namespace pzam::comm {

namespace {

using TClock = std::chrono::steady_clock;
constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

void Signal(int efd) {
  uint64_t one = 1;
  (void)!write(efd, &one, sizeof one);
}

void FailWith(uint32_t code, const char* text) {
  SetCommError(code, text);
}

}  // namespace

// Counts a call in progress so that Close can wait for it before the device is closed.
class TPosixPort::TOpGuard {
 public:
  explicit TOpGuard(TPosixPort& port) : FPort(port) {
    std::lock_guard lock(FPort.FMutex);
    FOk = !FPort.FClosed;
    if (FOk) ++FPort.FActiveOps;
  }
  ~TOpGuard() {
    if (!FOk) return;
    std::lock_guard lock(FPort.FMutex);
    if (--FPort.FActiveOps == 0) FPort.FOpsDone.notify_all();
  }
  bool Ok() const {
    if (!FOk) FailWith(ERROR_INVALID_HANDLE, "The port is closed");
    return FOk;
  }

 private:
  TPosixPort& FPort;
  bool FOk = false;
};

TPosixPort::TPosixPort(int fd, std::string portName, THangupFn onHangup)
    : FFd(fd), FPortName(std::move(portName)), FOnHangup(std::move(onHangup)) {
  FDcb.BaudRate = 9600;
  FDcb.ByteSize = 8;
  FDcb.Flags = DCB_fBinary;
}

TPosixPort::~TPosixPort() {
  Close();
  if (FStopFd >= 0) close(FStopFd);
  if (FWakeFd >= 0) close(FWakeFd);
}

bool TPosixPort::Start() {
  FStopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  FWakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  (void)DriverErrors();  // counts from before the opening are not this handle's errors
  if (FStopFd < 0 || FWakeFd < 0) {
    SetCommErrno(errno);
    return false;
  }
  try {
    FReader = std::thread([this] { ReaderLoop(); });
  } catch (const std::system_error& e) {
    SetCommError(ERROR_GEN_FAILURE, e.what());
    return false;
  }
  return true;
}

void TPosixPort::Close() {
  {
    std::lock_guard lock(FMutex);
    if (FClosed) return;
    FClosed = true;
    FChanged.notify_all();
  }
  if (FStopFd >= 0) Signal(FStopFd);
  if (FReader.joinable()) {
    // A hang-up callback that closes its own handle runs on the reader thread.
    if (FReader.get_id() == std::this_thread::get_id())
      FReader.detach();
    else
      FReader.join();
  }
  std::unique_lock lock(FMutex);
  FOpsDone.wait(lock, [this] { return FActiveOps == 0; });
  if (FFd >= 0) {
    (void)ioctl(FFd, TIOCNXCL);
    close(FFd);
    FFd = -1;
  }
}

void TPosixPort::WakeReader() {
  Signal(FWakeFd);
}

bool TPosixPort::FailIfUnusableLocked() {
  if (FClosed) {
    FailWith(ERROR_OPERATION_ABORTED, "The port was closed");
    return true;
  }
  if (FHungUp) {
    FailWith(ERROR_DEVICE_REMOVED, "The device was removed or the line hung up");
    return true;
  }
  if (FAborted) {
    FailWith(ERROR_OPERATION_ABORTED, "A line error stopped the transfer (abort on error)");
    return true;
  }
  return false;
}

bool TPosixPort::Setup(uint32_t inQueue, uint32_t /*outQueue: the kernel keeps the output*/) {
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  std::lock_guard lock(FMutex);
  if (FHungUp) return !FailIfUnusableLocked();
  if (inQueue > 0) FQueueLimit = inQueue;
  WakeReader();
  return true;
}

bool TPosixPort::SetState(const DCB& dcb) {
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  {
    std::lock_guard lock(FMutex);
    if (FHungUp) return !FailIfUnusableLocked();
  }
  if (ApplyDcb(FFd, dcb) != ERROR_SUCCESS) return false;
  std::lock_guard lock(FMutex);
  bool marking = (dcb.Flags & DCB_fParity) && dcb.Parity != NOPARITY;
  if (!marking) FDecoder.Reset();
  FDcb = dcb;
  return true;
}

bool TPosixPort::SetTimeouts(const COMMTIMEOUTS& timeouts) {
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  std::lock_guard lock(FMutex);
  if (timeouts.ReadIntervalTimeout == kMaxDword &&
      timeouts.ReadTotalTimeoutMultiplier == kMaxDword &&
      timeouts.ReadTotalTimeoutConstant == kMaxDword) {
    FailWith(ERROR_INVALID_PARAMETER, "Invalid time-outs");
    return false;
  }
  FTimeouts = timeouts;
  FChanged.notify_all();
  return true;
}

bool TPosixPort::SetMask(uint32_t mask) {
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  std::lock_guard lock(FMutex);
  FMask = mask;
  FPending &= mask;
  ++FMaskGeneration;  // a pending wait returns with no events
  FModemLines = -1;
  FChanged.notify_all();
  WakeReader();
  return true;
}

bool TPosixPort::WaitEvent(uint32_t& events) {
  events = 0;
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  std::unique_lock lock(FMutex);
  if (FMask == 0 || FWaiting) {
    FailWith(ERROR_INVALID_PARAMETER, FMask == 0 ? "No events to wait for" : "A wait is pending");
    return false;
  }
  FWaiting = true;
  const uint64_t generation = FMaskGeneration;
  FChanged.wait(lock, [&] {
    return (FPending & FMask) != 0 || FClosed || FHungUp || generation != FMaskGeneration;
  });
  FWaiting = false;
  if (FClosed) return !FailIfUnusableLocked();
  if (generation != FMaskGeneration) return true;
  if ((FPending & FMask) != 0) {
    events = FPending & FMask;
    FPending &= ~events;
    return true;
  }
  return !FailIfUnusableLocked();
}

bool TPosixPort::ClearError(uint32_t& errors, COMSTAT* stat) {
  errors = 0;
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  int outQueue = 0;
  if (ioctl(FFd, TIOCOUTQ, &outQueue) != 0) outQueue = 0;
  uint32_t driverErrors = DriverErrors();
  std::lock_guard lock(FMutex);
  errors = FErrors | driverErrors;
  FErrors = 0;
  FAborted = false;
  if (stat) {
    stat->Flags = 0;
    stat->cbInQue = static_cast<uint32_t>(FQueue.size());
    stat->cbOutQue = static_cast<uint32_t>(std::max(outQueue, 0));
  }
  // Also after a hang-up: the bytes that reached the queue can still be read.
  return true;
}

// Line errors the driver counted since the last look (serial drivers only; a pty has none).
uint32_t TPosixPort::DriverErrors() {
  serial_icounter_struct now{};
  if (ioctl(FFd, TIOCGICOUNT, &now) != 0) return 0;
  std::lock_guard lock(FMutex);
  uint32_t errors = 0;
  if (FHaveCounts) {
    if (now.overrun != FCounts.overrun) errors |= CE_OVERRUN;
    if (now.buf_overrun != FCounts.buf_overrun) errors |= CE_RXOVER;
    if (now.frame != FCounts.frame) errors |= CE_FRAME;
    if (now.parity != FCounts.parity) errors |= CE_RXPARITY;
    if (now.brk != FCounts.brk) errors |= CE_BREAK;
  }
  FCounts = now;
  FHaveCounts = true;
  return errors;
}

bool TPosixPort::Read(void* buffer, uint32_t count, uint32_t& read) {
  read = 0;
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  auto* out = static_cast<uint8_t*>(buffer);
  std::unique_lock lock(FMutex);
  const COMMTIMEOUTS t = FTimeouts;
  const auto start = TClock::now();
  const bool immediate = t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == 0 &&
                         t.ReadTotalTimeoutConstant == 0;
  // MAXDWORD interval and multiplier: wait up to the constant for the first byte, then return.
  const bool firstByte =
      t.ReadIntervalTimeout == kMaxDword && t.ReadTotalTimeoutMultiplier == kMaxDword;
  uint64_t totalMs =
      firstByte ? t.ReadTotalTimeoutConstant
                : uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
  const bool hasTotal = totalMs > 0;
  const uint32_t intervalMs =
      (t.ReadIntervalTimeout == kMaxDword || firstByte) ? 0 : t.ReadIntervalTimeout;
  auto lastProgress = start;
  bool freed = false;
  while (true) {
    size_t take = std::min<size_t>(FQueue.size(), count - read);
    if (take > 0) {
      bool wasFull = FQueue.size() >= FQueueLimit;
      std::copy_n(FQueue.begin(), take, out + read);
      FQueue.erase(FQueue.begin(), FQueue.begin() + static_cast<std::ptrdiff_t>(take));
      FFullSince = {};
      read += static_cast<uint32_t>(take);
      lastProgress = TClock::now();
      freed = freed || wasFull;
    }
    if (read == count || immediate || (firstByte && read > 0)) break;
    if (FClosed || FHungUp || FAborted) {
      if (freed) WakeReader();
      FLastTransfer = read;
      return !FailIfUnusableLocked();
    }
    if (freed) {
      WakeReader();
      freed = false;
    }
    auto deadline = TClock::time_point::max();
    if (hasTotal) deadline = start + std::chrono::milliseconds(totalMs);
    if (intervalMs > 0 && read > 0)
      deadline = std::min(deadline, lastProgress + std::chrono::milliseconds(intervalMs));
    if (deadline == TClock::time_point::max()) {
      FChanged.wait(lock);
    } else if (FChanged.wait_until(lock, deadline) == std::cv_status::timeout && FQueue.empty()) {
      break;  // a time-out completes the read with what has arrived
    }
  }
  if (freed) WakeReader();
  FLastTransfer = read;
  return true;
}

bool TPosixPort::Write(const void* buffer, uint32_t count, uint32_t& written) {
  written = 0;
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  COMMTIMEOUTS t;
  {
    std::lock_guard lock(FMutex);
    if (FailIfUnusableLocked()) return false;
    t = FTimeouts;
  }
  const auto* in = static_cast<const uint8_t*>(buffer);
  uint64_t totalMs = uint64_t{t.WriteTotalTimeoutMultiplier} * count + t.WriteTotalTimeoutConstant;
  const auto deadline = TClock::now() + std::chrono::milliseconds(totalMs);
  while (written < count) {
    ssize_t n = ::write(FFd, in + written, count - written);
    if (n > 0) {
      written += static_cast<uint32_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      int err = errno;
      std::lock_guard lock(FMutex);
      FLastTransfer = written;
      if (err == EIO) {
        FailWith(ERROR_DEVICE_REMOVED, "The device was removed or the line hung up");
      } else {
        SetCommErrno(err);
      }
      return false;
    }
    int timeout = -1;
    if (totalMs > 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
      if (left.count() <= 0) break;  // write time-out: completes with what went out
      timeout = static_cast<int>(std::min<int64_t>(left.count(), 1 << 30));
    }
    pollfd fds[2] = {{FFd, POLLOUT, 0}, {FStopFd, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0 && errno != EINTR) break;
    if (fds[1].revents) {
      std::lock_guard lock(FMutex);
      FLastTransfer = written;
      return !FailIfUnusableLocked();
    }
  }
  std::lock_guard lock(FMutex);
  FLastTransfer = written;
  if (written > 0) {
    FTxPending = true;
    CheckTxEmptyLocked();
    if (FTxPending) WakeReader();
  }
  return true;
}

bool TPosixPort::ModemStatus(uint32_t& status) {
  status = 0;
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  int lines = 0;
  if (ioctl(FFd, TIOCMGET, &lines) != 0) {
    SetCommErrno(errno);
    return false;
  }
  if (lines & TIOCM_CTS) status |= MS_CTS_ON;
  if (lines & TIOCM_DSR) status |= MS_DSR_ON;
  if (lines & TIOCM_RNG) status |= MS_RING_ON;
  if (lines & TIOCM_CAR) status |= MS_RLSD_ON;
  return true;
}

bool TPosixPort::Escape(uint32_t function) {
  TOpGuard op(*this);
  if (!op.Ok()) return false;
  int rc = 0;
  int line = 0;
  switch (function) {
    case SETRTS:
      line = TIOCM_RTS;
      rc = ioctl(FFd, TIOCMBIS, &line);
      break;
    case CLRRTS:
      line = TIOCM_RTS;
      rc = ioctl(FFd, TIOCMBIC, &line);
      break;
    case SETDTR:
      line = TIOCM_DTR;
      rc = ioctl(FFd, TIOCMBIS, &line);
      break;
    case CLRDTR:
      line = TIOCM_DTR;
      rc = ioctl(FFd, TIOCMBIC, &line);
      break;
    case SETBREAK:
      rc = ioctl(FFd, TIOCSBRK);
      break;
    case CLRBREAK:
      rc = ioctl(FFd, TIOCCBRK);
      break;
    case 1:
      rc = tcflow(FFd, TCOOFF);
      break;  // SETXOFF: act as if XOFF was received
    case 2:
      rc = tcflow(FFd, TCOON);
      break;  // SETXON
    default:
      FailWith(ERROR_INVALID_PARAMETER, "Unknown escape function");
      return false;
  }
  if (rc != 0) {
    SetCommErrno(errno);
    return false;
  }
  return true;
}

uint32_t TPosixPort::LastTransfer() const {
  std::lock_guard lock(FMutex);
  return FLastTransfer;
}

}  // namespace pzam::comm
