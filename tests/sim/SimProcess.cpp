#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <sstream>

namespace pzam::sim::test {
using TClock = std::chrono::steady_clock;
using pzam::test::Remaining;

bool TSimProcess::WaitForPort(TDuration timeout) {
  FChild.WaitForStdout("\n", timeout);
  const std::string& out = FChild.Stdout();
  std::istringstream line(out.substr(0, out.find('\n')));
  line >> FPortName >> FDevice;
  return !FDevice.empty();
}

TProgramPort::TProgramPort(const std::string& device) {
  FFd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (FFd < 0) return;
  termios t{};
  if (ioctl(FFd, TIOCEXCL) != 0 || flock(FFd, LOCK_EX | LOCK_NB) != 0 || tcgetattr(FFd, &t) != 0) {
    Close();
    return;
  }
  FFoundRaw = (t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN)) == 0 && (t.c_iflag & ICRNL) == 0 &&
              (t.c_oflag & OPOST) == 0;
  cfmakeraw(&t);
  tcsetattr(FFd, TCSANOW, &t);
}

TProgramPort::~TProgramPort() {
  Close();
}

void TProgramPort::Close() {
  if (FFd >= 0) close(FFd);
  FFd = -1;
}

std::string TProgramPort::ReadUntil(char end, TDuration timeout) {
  const auto deadline = TClock::now() + timeout;
  for (;;) {
    if (const auto pos = FPending.find(end); pos != std::string::npos) {
      std::string text = FPending.substr(0, pos + 1);
      FPending.erase(0, pos + 1);
      return text;
    }
    pollfd p{FFd, POLLIN, 0};
    if (poll(&p, 1, Remaining(deadline)) <= 0) return {};
    char buffer[1024];
    const ssize_t n = read(FFd, buffer, sizeof buffer);
    if (n <= 0) return {};
    FPending.append(buffer, static_cast<std::size_t>(n));
  }
}

std::string TProgramPort::ReadFor(TDuration window) {
  const auto deadline = TClock::now() + window;
  while (Remaining(deadline) > 0) {
    pollfd p{FFd, POLLIN, 0};
    if (poll(&p, 1, Remaining(deadline)) <= 0) continue;
    char buffer[1024];
    const ssize_t n = read(FFd, buffer, sizeof buffer);
    if (n > 0) FPending.append(buffer, static_cast<std::size_t>(n));
  }
  std::string text;
  text.swap(FPending);
  return text;
}

void TProgramPort::Write(const std::string& text) {
  const ssize_t n = write(FFd, text.data(), text.size());
  (void)n;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace pzam::sim::test
