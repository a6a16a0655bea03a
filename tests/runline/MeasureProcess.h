// pzam-tool measure as a child process in a folder of its own: stdin to write, stdout read as it
// comes, exit code and stderr at the end.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "common/Paths.h"
#include "support/ChildProcess.h"

namespace pzam::runline::test {

class TMeasureProcess {
 public:
  TMeasureProcess(const std::string& dir, const std::vector<std::string>& args)
      : FChild({ExecutableDir() + "pzam-tool", WithMeasure(args), dir, {"LC_ALL=C"}}) {}

  bool Started() const { return FChild.Started(); }
  pid_t Pid() const { return FChild.Pid(); }
  void WriteLine(const std::string& line) { FChild.WriteStdin(line + "\n"); }
  void CloseStdin() { FChild.CloseStdin(); }
  void Signal(int signo) { FChild.Signal(signo); }

  // Stdout so far once it holds `text`, or after the time-out.
  const std::string& WaitForOutput(const std::string& text, int timeoutMs = 5000) {
    FChild.WaitForStdout(text, std::chrono::milliseconds(timeoutMs));
    return Out;
  }

  // Waits for the end and returns the exit code (-1: killed by a signal).
  int Wait() {
    const int code = FChild.WaitForExit(std::chrono::hours(24));
    return FChild.TermSignal() != 0 ? -1 : code;
  }

 private:
  static std::vector<std::string> WithMeasure(const std::vector<std::string>& args) {
    std::vector<std::string> all{"measure"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }

  pzam::test::TChildProcess FChild;

 public:
  // What the tool printed so far.
  const std::string& Out = FChild.Stdout();
  const std::string& Err = FChild.Stderr();
};

}  // namespace pzam::runline::test
