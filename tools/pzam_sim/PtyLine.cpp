#include "PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace pzam::sim {
namespace {

std::string ErrorText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

bool MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return false;
  cfmakeraw(&t);
  return tcsetattr(fd, TCSANOW, &t) == 0;
}

}  // namespace

TPtyLine::~TPtyLine() {
  if (FMaster >= 0) close(FMaster);
}

std::string TPtyLine::Open() {
  FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (FMaster < 0) return ErrorText("posix_openpt");
  if (grantpt(FMaster) != 0) return ErrorText("grantpt");
  if (unlockpt(FMaster) != 0) return ErrorText("unlockpt");
  char name[128];
  if (ptsname_r(FMaster, name, sizeof name) != 0) return ErrorText("ptsname");
  FSlavePath = name;
  // The master passes bytes untouched in both directions as well.
  if (!MakeRaw(FMaster)) return ErrorText("tcsetattr on the master");
  const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0) return ErrorText(name);
  const bool raw = MakeRaw(slave);
  const std::string rawError = raw ? "" : ErrorText("tcsetattr on the slave");
  close(slave);  // from now on a hang-up on the master means: nobody has the port open
  return rawError;
}

bool TPtyLine::ListenerPresent() const {
  pollfd p{FMaster, POLLIN, 0};
  if (poll(&p, 1, 0) < 0) return false;
  return (p.revents & (POLLHUP | POLLERR)) == 0;
}

bool TPtyLine::Read(std::string& into) {
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(FMaster, buffer, sizeof buffer);
    if (n > 0) {
      into.append(buffer, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) return true;
    return false;  // EIO: the slave was closed
  }
}

long TPtyLine::Write(const char* data, std::size_t size) {
  for (;;) {
    const ssize_t n = write(FMaster, data, size);
    if (n >= 0) return n;
    if (errno == EINTR) continue;
    if (errno == EAGAIN) return 0;
    return -1;
  }
}

}  // namespace pzam::sim
