#include "common/SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace pzam {
namespace {

int gWriteFd = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  const ssize_t n = ::write(gWriteFd, &byte, 1);  // a full pipe already holds a wake-up
  (void)n;
  errno = saved;
}

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

TSignalPipe::TSignalPipe() {
  int fds[2];
  if (gWriteFd >= 0 || ::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  FRead = fds[0];
  gWriteFd = fds[1];
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &sa, nullptr);
}

TSignalPipe::~TSignalPipe() {
  if (FRead < 0) return;
  for (int s : kSignals) ::signal(s, SIG_DFL);
  ::close(gWriteFd);
  gWriteFd = -1;
  ::close(FRead);
}

void TSignalPipe::Drain() const {
  char buf[64];
  while (FRead >= 0 && ::read(FRead, buf, sizeof buf) > 0) {
  }
}

}  // namespace pzam
