#include "platform/Signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace pzam::platform {

static_assert(kSignalHangUp == SIGHUP);

namespace {

constexpr int kSignalCount = 65;

// The notify of each caught signal, read in its handler.
std::array<std::atomic<TSignalNotify>, kSignalCount> gNotify{};

// The disposition each caught signal had before, so that it can be given back.
struct TSaved {
  bool Valid = false;
  struct sigaction Action {};
};
std::array<TSaved, kSignalCount> gSaved{};

extern "C" void OnSignalCaught(int signo) {
  const int saved = errno;
  if (signo > 0 && signo < kSignalCount) {
    if (const TSignalNotify notify = gNotify[signo].load()) notify(signo);
  }
  errno = saved;
}

}  // namespace

bool CatchSignal(int signo, TSignalNotify notify) {
  if (signo <= 0 || signo >= kSignalCount) return false;
  gNotify[signo] = notify;
  struct sigaction action {};
  action.sa_handler = &OnSignalCaught;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  struct sigaction old {};
  if (::sigaction(signo, &action, &old) != 0) return false;
  if (!gSaved[signo].Valid) gSaved[signo] = {true, old};
  return true;
}

void ReleaseSignal(int signo) {
  if (signo <= 0 || signo >= kSignalCount || !gSaved[signo].Valid) return;
  ::sigaction(signo, &gSaved[signo].Action, nullptr);
  gSaved[signo].Valid = false;
  gNotify[signo] = nullptr;
}

void DefaultSignal(int signo) {
  if (signo <= 0 || signo >= kSignalCount) return;
  gNotify[signo] = nullptr;
  gSaved[signo].Valid = false;
  ::signal(signo, SIG_DFL);
}

bool MakeSignalPipe(int& readFd, int& writeFd) {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  readFd = fds[0];
  writeFd = fds[1];
  return true;
}

void WriteSignalByte(int fd, unsigned char byte) {
  [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
}

long ReadSignalBytes(int fd, unsigned char* buf, std::size_t size) {
  const ssize_t n = ::read(fd, buf, size);
  if (n < 0 && errno == EAGAIN) return 0;
  return static_cast<long>(n);
}

void ClosePipeEnd(int fd) {
  ::close(fd);
}

long ReadStandardInput(char* buf, std::size_t size) {
  return static_cast<long>(::read(STDIN_FILENO, buf, size));
}

}  // namespace pzam::platform
