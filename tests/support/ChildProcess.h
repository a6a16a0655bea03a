// A built executable as a child process for tests: arguments, working directory and extra
// environment, a pipe to its stdin, and its stdout and stderr collected while the test waits for
// text.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace pzam::test {

using namespace std::chrono_literals;
using TMillis = std::chrono::milliseconds;

// Milliseconds left until deadline, 0 once it has passed (a poll timeout).
int Remaining(std::chrono::steady_clock::time_point deadline);

struct TChildCommand {
  std::string Exe;
  std::vector<std::string> Args;
  std::string WorkDir;           // empty: the test's own
  std::vector<std::string> Env;  // "NAME=value" added to the test's environment
};

class TChildProcess {
 public:
  explicit TChildProcess(const TChildCommand& command);
  ~TChildProcess();  // kills the child if it still runs
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  bool Started() const { return FPid > 0; }
  pid_t Pid() const { return FPid; }

  // Waits until stdout (or stderr) holds `text` `times` times; false on time-out or exit.
  bool WaitForStdout(const std::string& text, TMillis timeout, int times = 1);
  bool WaitForStderr(const std::string& text, TMillis timeout, int times = 1);
  // Reads what has arrived so far without waiting.
  void Poll() { Drain(0ms); }

  void WriteStdin(const std::string& text);
  void CloseStdin();
  void Signal(int sig);
  // The exit code; -1 when the child did not exit in time, 128 + n when signal n ended it.
  int WaitForExit(TMillis timeout);
  bool Exited() const { return FExited; }
  // The signal that ended the child; 0 while it runs or when it exited by itself.
  int TermSignal() const;

  const std::string& Stdout() const { return FStdout; }
  const std::string& Stderr() const { return FStderr; }

 private:
  bool WaitFor(const std::string& text, bool fromStdout, TMillis timeout, int times);
  void Drain(TMillis timeout);
  bool Reap(bool block);

  pid_t FPid = -1;
  int FIn = -1, FOut = -1, FErr = -1;
  bool FExited = false;
  int FStatus = 0;
  std::string FStdout, FStderr;
};

// Occurrences of `text` in `in`.
int CountOf(const std::string& in, const std::string& text);

}  // namespace pzam::test
