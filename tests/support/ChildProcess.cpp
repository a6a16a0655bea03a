#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace pzam::test {

using TClock = std::chrono::steady_clock;

int Remaining(TClock::time_point deadline) {
  const auto ms =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
  return ms < 0 ? 0 : static_cast<int>(ms);
}

int CountOf(const std::string& in, const std::string& text) {
  if (text.empty()) return 0;  // nothing to count; find("") would never move on
  int n = 0;
  for (auto at = in.find(text); at != std::string::npos; at = in.find(text, at + text.size())) ++n;
  return n;
}

TChildProcess::TChildProcess(const TChildCommand& command) {
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) return;
  std::vector<std::string> args{command.Exe};
  args.insert(args.end(), command.Args.begin(), command.Args.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  // Prepared before fork: between fork and exec the child calls only async-signal-safe
  // functions (the test may run threads of its own).
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) env.emplace_back(*e);
  for (const auto& extra : command.Env) {
    const std::string name = extra.substr(0, extra.find('=') + 1);
    std::erase_if(env, [&](const std::string& e) { return e.rfind(name, 0) == 0; });
    env.push_back(extra);
  }
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  FPid = fork();
  if (FPid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    if (!command.WorkDir.empty() && chdir(command.WorkDir.c_str()) != 0) _exit(126);
    signal(SIGPIPE, SIG_DFL);  // the test ignores it; the child gets the usual disposition
    execve(args[0].c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  FIn = in[1];
  FOut = out[0];
  FErr = err[0];
  fcntl(FOut, F_SETFL, O_NONBLOCK);
  fcntl(FErr, F_SETFL, O_NONBLOCK);
  signal(SIGPIPE, SIG_IGN);  // a child that ended must not take the test with it
}

TChildProcess::~TChildProcess() {
  if (FPid > 0 && !FExited) {
    kill(FPid, SIGKILL);
    waitpid(FPid, nullptr, 0);
  }
  for (int fd : {FIn, FOut, FErr}) {
    if (fd >= 0) close(fd);
  }
}

void TChildProcess::Drain(TMillis timeout) {
  pollfd fds[2] = {{FOut, POLLIN, 0}, {FErr, POLLIN, 0}};
  if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0) return;
  char buffer[8192];
  for (int i = 0; i < 2; ++i) {
    if (!(fds[i].revents & (POLLIN | POLLHUP))) continue;
    for (;;) {
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) break;
      (i == 0 ? FStdout : FStderr).append(buffer, static_cast<std::size_t>(n));
    }
  }
}

bool TChildProcess::Reap(bool block) {
  if (FExited) return true;
  const pid_t r = waitpid(FPid, &FStatus, block ? 0 : WNOHANG);
  FExited = r == FPid;
  return FExited;
}

bool TChildProcess::WaitFor(const std::string& text, bool fromStdout, TMillis timeout, int times) {
  if (text.empty()) return true;
  const auto deadline = TClock::now() + timeout;
  const std::string& where = fromStdout ? FStdout : FStderr;
  for (;;) {
    if (CountOf(where, text) >= times) return true;
    if (Remaining(deadline) == 0) return false;
    if (Reap(false)) {
      Drain(0ms);
      Drain(0ms);
      return CountOf(where, text) >= times;
    }
    Drain(TMillis(std::min(Remaining(deadline), 50)));
  }
}

bool TChildProcess::WaitForStdout(const std::string& text, TMillis timeout, int times) {
  return WaitFor(text, true, timeout, times);
}

bool TChildProcess::WaitForStderr(const std::string& text, TMillis timeout, int times) {
  return WaitFor(text, false, timeout, times);
}

void TChildProcess::WriteStdin(const std::string& text) {
  if (FIn < 0) return;
  const ssize_t n = write(FIn, text.data(), text.size());
  (void)n;
}

void TChildProcess::CloseStdin() {
  if (FIn >= 0) close(FIn);
  FIn = -1;
}

void TChildProcess::Signal(int sig) {
  if (FPid > 0 && !FExited) kill(FPid, sig);
}

int TChildProcess::WaitForExit(TMillis timeout) {
  const auto deadline = TClock::now() + timeout;
  while (!Reap(false)) {
    if (Remaining(deadline) == 0) return -1;
    Drain(10ms);
  }
  Drain(0ms);
  Drain(0ms);
  if (WIFEXITED(FStatus)) return WEXITSTATUS(FStatus);
  return WIFSIGNALED(FStatus) ? 128 + WTERMSIG(FStatus) : -1;
}

int TChildProcess::TermSignal() const {
  return FExited && WIFSIGNALED(FStatus) ? WTERMSIG(FStatus) : 0;
}

}  // namespace pzam::test
