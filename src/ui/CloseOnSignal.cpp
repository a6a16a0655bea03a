#include "ui/CloseOnSignal.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>
#include <csignal>

namespace pzam::ui {
namespace {

int gWriteFd = -1;

// Only a write into the pipe happens in the handler; the window closes on its own thread.
void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  const ssize_t n = ::write(gWriteFd, &byte, 1);  // a full pipe already holds a wake-up
  (void)n;
  errno = saved;
}

const int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

}  // namespace

TCloseOnSignal::TCloseOnSignal(QWidget* window) : FWindow(window) {
  int fds[2];
  if (gWriteFd >= 0 || ::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) return;
  FRead = fds[0];
  gWriteFd = fds[1];
  FNotifier = new QSocketNotifier(FRead, QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  for (int s : kSignals) ::sigaction(s, &sa, nullptr);
}

TCloseOnSignal::~TCloseOnSignal() {
  if (FRead < 0) return;
  for (int s : kSignals) ::signal(s, SIG_DFL);
  ::close(gWriteFd);
  gWriteFd = -1;
  ::close(FRead);
}

// Several signals in a row ask once; a close the window refuses (settings not written) leaves
// it open, as it does for the operator.
void TCloseOnSignal::OnReadable() {
  char buf[64];
  while (::read(FRead, buf, sizeof buf) > 0) {
  }
  FWindow->close();
}

}  // namespace pzam::ui
