#include "SignalPipe.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>

namespace pzam::sim {
namespace {

int gWriteFd = -1;

void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  if (gWriteFd >= 0) {
    const ssize_t n = write(gWriteFd, &byte, 1);  // a full pipe already holds a wake-up
    (void)n;
  }
  errno = saved;
}

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

TSignalPipe::TSignalPipe() {
  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  FRead = fds[0];
  gWriteFd = fds[1];
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int s : kSignals) sigaction(s, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

TSignalPipe::~TSignalPipe() {
  for (int s : kSignals) signal(s, SIG_DFL);
  if (gWriteFd >= 0) close(gWriteFd);
  if (FRead >= 0) close(FRead);
  gWriteFd = -1;
}

}  // namespace pzam::sim
