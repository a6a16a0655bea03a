// Runs pzam-tool (built beside the test executable) as a script runs it, and keeps what it printed
// and its exit code.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "common/Paths.h"

namespace pzam::test {

struct TToolRun {
  int Status;  // exit code, -1 when the tool did not exit normally or did not start
  std::string Out;
  std::string Err;
};

// `args` goes to the shell as it stands (quote what needs it). The tool runs in `workDir` when one
// is given, in the C locale so that its output does not depend on the machine.
inline TToolRun RunTool(const std::string& args, const std::string& workDir = "") {
  std::string errPath = (std::filesystem::temp_directory_path() / "pzam-err-XXXXXX").string();
  const int errFd = ::mkstemp(errPath.data());
  if (errFd < 0) return {-1, {}, {}};
  ::close(errFd);
  std::string command;
  if (!workDir.empty()) command = "cd '" + workDir + "' && ";
  command += "LC_ALL=C '" + ExecutableDir() + "pzam-tool' " + args + " 2>'" + errPath + "'";
  TToolRun run{-1, {}, {}};
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buf[512];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) run.Out.append(buf, n);
    const int status = ::pclose(pipe);
    run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  std::ifstream err(errPath, std::ios::binary);
  run.Err.assign(std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>());
  std::filesystem::remove(errPath);
  return run;
}

}  // namespace pzam::test
