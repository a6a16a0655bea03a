#include "SimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pzam::sim::test {
namespace {

using TClock = std::chrono::steady_clock;

int Remaining(TClock::time_point deadline) {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return ms < 0 ? 0 : static_cast<int>(ms);
}

}  // namespace

TSimProcess::TSimProcess(const std::vector<std::string>& args) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
  std::vector<char*> argv;
  std::string exe = PZAM_SIM_EXE;
  argv.push_back(exe.data());
  std::vector<std::string> copy = args;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  FPid = fork();
  if (FPid == 0) {
    dup2(out[1], 1);
    dup2(err[1], 2);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  FOut = out[0];
  FErr = err[0];
  fcntl(FOut, F_SETFL, O_NONBLOCK);
  fcntl(FErr, F_SETFL, O_NONBLOCK);
}

TSimProcess::~TSimProcess() {
  if (FPid > 0 && !FExited) {
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
  }
  if (FOut >= 0) close(FOut);
  if (FErr >= 0) close(FErr);
}

void TSimProcess::Drain(TDuration timeout) {
  pollfd fds[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return;
  char buffer[4096];
  for (int i = 0; i < 2; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
    const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
    if (n > 0) (i == 0 ? FStdout : FStderr).append(buffer, static_cast<std::size_t>(n));
  }
}

bool TSimProcess::WaitForPort(TDuration timeout) {
  const auto deadline = TClock::now() + timeout;
  while (FStdout.find('\n') == std::string::npos && Remaining(deadline) > 0) {
    Drain(TDuration(Remaining(deadline)));
  }
  std::istringstream line(FStdout.substr(0, FStdout.find('\n')));
  line >> FPortName >> FDevice;
  return !FDevice.empty();
}

bool TSimProcess::WaitForStderr(const std::string& text, TDuration timeout) {
  const auto deadline = TClock::now() + timeout;
  while (FStderr.find(text) == std::string::npos) {
    if (Remaining(deadline) == 0) return false;
    Drain(TDuration(std::min(Remaining(deadline), 50)));
  }
  return true;
}

void TSimProcess::Signal(int sig) {
  kill(FPid, sig);
}

int TSimProcess::WaitForExit(TDuration timeout) {
  const auto deadline = TClock::now() + timeout;
  int status = 0;
  while (waitpid(FPid, &status, WNOHANG) == 0) {
    if (Remaining(deadline) == 0) return -1;
    Drain(10ms);
  }
  FExited = true;
  Drain(0ms);
  Drain(0ms);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
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

TTempDir::TTempDir() {
  char path[] = "/tmp/pzam-sim-test-XXXXXX";
  if (mkdtemp(path)) FPath = path;
}

TTempDir::~TTempDir() {
  std::error_code ec;
  if (!FPath.empty()) std::filesystem::remove_all(FPath, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace pzam::sim::test
