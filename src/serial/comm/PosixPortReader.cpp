// The reader side of TPosixPort: the thread that moves bytes from the device into the receive
// queue, turns them into line events and notices the hang-up of the line.
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "serial/comm/PosixPort.h"

namespace pzam::comm {

namespace {
constexpr uint32_t kModemEvents = EV_CTS | EV_DSR | EV_RLSD | EV_RING;
constexpr int kModemPollMs = 50;  // modem lines give no wake-up; looked at only while asked for
constexpr size_t kChunk = 4096;
// How long a full queue without the awaited event character may wait for a read (the run's
// handler reads 200 ms after the event) before its oldest bytes make room for new ones.
constexpr int kStallMs = 1000;
}  // namespace

void TPosixPort::ReaderLoop() {
  uint8_t buf[kChunk];
  while (true) {
    size_t room = 0;
    int timeout = -1;
    bool makeRoom = false;
    {
      std::lock_guard lock(FMutex);
      if (FClosed) return;
      timeout = ReaderTimeoutLocked();
      if (FQueue.size() >= FQueueLimit) {
        const int left = StallLeftMsLocked();
        makeRoom = left == 0;
        if (left > 0) timeout = timeout < 0 ? left : std::min(timeout, left);
      }
      room = RoomLocked(makeRoom);
    }
    // A full queue leaves the bytes in the kernel (and its flow control) until a read makes
    // room; the device is then not watched at all, so a hang-up cannot make this spin. Only a
    // stalled queue (StallLeftMsLocked) drops its oldest bytes to take new ones.
    pollfd fds[3] = {{FStopFd, POLLIN, 0}, {FWakeFd, POLLIN, 0}, {room > 0 ? FFd : -1, POLLIN, 0}};
    int rc = poll(fds, 3, timeout);
    if (rc < 0 && errno != EINTR) {
      HangUp();
      return;
    }
    if (fds[0].revents) return;
    if (fds[1].revents) {
      uint64_t v;
      (void)!::read(FWakeFd, &v, sizeof v);
    }
    if (fds[2].revents & POLLIN) {
      {
        std::lock_guard lock(FMutex);  // SetupComm may have made the queue smaller meanwhile
        room = RoomLocked(makeRoom);
      }
      if (room == 0) continue;
      ssize_t n = ::read(FFd, buf, std::min(room, kChunk));
      if (n > 0) {
        Deliver(buf, static_cast<size_t>(n), makeRoom);
      } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
        HangUp();  // end of file or EIO: the adapter was pulled or the pty's other end closed
        return;
      }
    } else if (fds[2].revents & (POLLHUP | POLLERR | POLLNVAL)) {
      HangUp();
      return;
    }
    std::lock_guard lock(FMutex);
    if (FTxPending) CheckTxEmptyLocked();
    if (FMask & kModemEvents) CheckModemLinesLocked();
  }
}

int TPosixPort::ReaderTimeoutLocked() {
  int timeout = -1;
  if ((FMask & kModemEvents) && !FNoModemLines) timeout = kModemPollMs;
  if (FTxPending) {
    int queued = 0;
    if (ioctl(FFd, TIOCOUTQ, &queued) != 0) queued = 0;
    uint32_t baud = std::max<uint32_t>(FDcb.BaudRate, 50);
    // About the time the queued bytes take on the line (10 bits each), at least 1 ms.
    int drainMs = static_cast<int>(std::min<uint64_t>(uint64_t(queued) * 10000 / baud + 1, 1000));
    timeout = timeout < 0 ? drainMs : std::min(timeout, drainMs);
  }
  return timeout;
}

// The bytes the next read may take: the queue's free room, or a chunk whose oldest bytes give way
// in a stalled queue.
size_t TPosixPort::RoomLocked(bool makeRoom) const {
  if (makeRoom) return std::min(FQueueLimit, kChunk);
  return FQueueLimit > FQueue.size() ? FQueueLimit - FQueue.size() : 0;
}

// A full queue that holds no event character while the event character is awaited is stalled: a
// reader that reads on that event never comes, and the kernel keeps the event character behind
// the full queue. After kStallMs without a read the oldest bytes make room for new ones (reported
// as CE_RXOVER), as a driver overwrites an overrun buffer, until the event character is in the
// queue. Returns 0 when stalled, the milliseconds left until then, or -1 when the queue cannot
// stall (not full, an event character in it, or none awaited).
int TPosixPort::StallLeftMsLocked() {
  if (FQueue.size() < FQueueLimit || !(FMask & EV_RXFLAG)) return -1;
  if (std::find(FQueue.begin(), FQueue.end(), static_cast<uint8_t>(FDcb.EvtChar)) != FQueue.end())
    return -1;
  const auto now = std::chrono::steady_clock::now();
  if (FFullSince == std::chrono::steady_clock::time_point{}) FFullSince = now;
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - FFullSince).count();
  return waited >= kStallMs ? 0 : static_cast<int>(kStallMs - waited);
}

void TPosixPort::CheckTxEmptyLocked() {
  int queued = 0;
  if (ioctl(FFd, TIOCOUTQ, &queued) != 0 || queued <= 0) {
    FTxPending = false;
    RaiseLocked(EV_TXEMPTY);
  }
}

void TPosixPort::CheckModemLinesLocked() {
  if (FNoModemLines) return;
  int lines = 0;
  if (ioctl(FFd, TIOCMGET, &lines) != 0) {
    FNoModemLines = true;  // pseudo-terminals have none
    return;
  }
  if (FModemLines >= 0) {
    int changed = lines ^ FModemLines;
    uint32_t events = 0;
    if (changed & TIOCM_CTS) events |= EV_CTS;
    if (changed & TIOCM_DSR) events |= EV_DSR;
    if (changed & TIOCM_CAR) events |= EV_RLSD;
    if ((changed & TIOCM_RNG) && !(lines & TIOCM_RNG)) events |= EV_RING;  // end of a ring
    RaiseLocked(events);
  }
  FModemLines = lines;
}

void TPosixPort::RaiseLocked(uint32_t events) {
  events &= FMask;
  if (events == 0) return;
  FPending |= events;
  FChanged.notify_all();
}

void TPosixPort::Deliver(const uint8_t* data, size_t size, bool makeRoom) {
  std::lock_guard lock(FMutex);
  if (makeRoom && FQueue.size() + size > FQueueLimit) {
    const size_t drop = std::min(FQueue.size(), FQueue.size() + size - FQueueLimit);
    FQueue.erase(FQueue.begin(), FQueue.begin() + static_cast<std::ptrdiff_t>(drop));
    FErrors |= CE_RXOVER;
  }
  TInputOptions options;
  options.Marked = (FDcb.Flags & DCB_fParity) && FDcb.Parity != NOPARITY;
  options.DropNull = FDcb.Flags & DCB_fNull;
  options.ReplaceErrors = FDcb.Flags & DCB_fErrorChar;
  options.ErrorChar = static_cast<uint8_t>(FDcb.ErrorChar);
  options.EventChar = static_cast<uint8_t>(FDcb.EvtChar);
  uint32_t errors = 0;
  uint32_t events = FDecoder.Feed(options, data, size, FQueue, errors);
  FErrors |= errors;
  if (errors && (FDcb.Flags & DCB_fAbortOnError)) FAborted = true;
  if (events) FChanged.notify_all();  // waiting reads
  RaiseLocked(events);
}

void TPosixPort::HangUp() {
  {
    std::lock_guard lock(FMutex);
    if (FHungUp || FClosed) return;
    FHungUp = true;
    FChanged.notify_all();
  }
  // The device is gone: let a new opener of the same node in at once.
  (void)flock(FFd, LOCK_UN);
  (void)ioctl(FFd, TIOCNXCL);
  // Copies: the callback may close the handle, and with it destroy this object.
  THangupFn notify = FOnHangup;
  std::string name = FPortName;
  if (notify) notify(name);
}

}  // namespace pzam::comm
