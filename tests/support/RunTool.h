// Runs pzam-tool (built beside the test executable) as a script runs it, and keeps what it printed
// and its exit code.
#pragma once

#include <chrono>
#include <string>

#include "common/Paths.h"
#include "support/ChildProcess.h"

namespace pzam::test {

struct TToolRun {
  int Status;  // exit code, -1 when the tool did not exit normally or did not start
  std::string Out;
  std::string Err;
};

// `args` goes to the shell as it stands (quote what needs it). The tool runs in `workDir` when one
// is given, in the C locale so that its output does not depend on the machine; its stdin is empty.
inline TToolRun RunTool(const std::string& args, const std::string& workDir = "") {
  const std::string command = "'" + ExecutableDir() + "pzam-tool' " + args;
  TChildProcess shell({"/bin/sh", {"-c", command}, workDir, {"LC_ALL=C"}});
  if (!shell.Started()) return {-1, {}, {}};
  shell.CloseStdin();
  const int code = shell.WaitForExit(std::chrono::hours(24));
  const int status = shell.Exited() && shell.TermSignal() == 0 ? code : -1;
  return {status, shell.Stdout(), shell.Stderr()};
}

}  // namespace pzam::test
