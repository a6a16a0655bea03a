// pzam-tool measure as a child process in a folder of its own: stdin to write, stdout read line
// by line as it comes, exit code and stderr at the end.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "common/Paths.h"

namespace pzam::runline::test {

class TMeasureProcess {
 public:
  TMeasureProcess(const std::string& dir, const std::vector<std::string>& args) {
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
      return;
    const std::string tool = ExecutableDir() + "pzam-tool";
    std::vector<std::string> argv{tool, "measure"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    FPid = fork();
    if (FPid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      dup2(err[1], 2);
      if (chdir(dir.c_str()) != 0) _exit(127);
      setenv("LC_ALL", "C", 1);
      execv(tool.c_str(), cargv.data());
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    FIn = in[1];
    FOut = out[0];
    FErr = err[0];
  }
  ~TMeasureProcess() {
    if (FPid > 0 && !FExited) {
      kill(FPid, SIGKILL);
      Wait();
    }
    for (int fd : {FIn, FOut, FErr})
      if (fd >= 0) close(fd);
  }

  bool Started() const { return FPid > 0; }
  void WriteLine(const std::string& line) {
    const std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = write(FIn, text.data(), text.size());
  }
  void CloseStdin() {
    close(FIn);
    FIn = -1;
  }
  void Signal(int signo) { kill(FPid, signo); }

  // Stdout so far once it holds `text`, or after the time-out.
  const std::string& WaitForOutput(const std::string& text, int timeoutMs = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Out.find(text) == std::string::npos && FOut >= 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            end - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) break;
      pollfd p{FOut, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) break;
      if (!ReadSome(FOut, Out)) {
        close(FOut);
        FOut = -1;
      }
    }
    return Out;
  }

  // Reads stdout and stderr to their end and returns the exit code (-1: killed by a signal).
  int Wait() {
    while (FOut >= 0 && ReadSome(FOut, Out)) {
    }
    while (FErr >= 0 && ReadSome(FErr, Err)) {
    }
    int status = 0;
    waitpid(FPid, &status, 0);
    FExited = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::string Out, Err;

 private:
  static bool ReadSome(int fd, std::string& to) {
    char buf[1024];
    const ssize_t n = read(fd, buf, sizeof buf);
    if (n > 0) to.append(buf, static_cast<size_t>(n));
    return n > 0;
  }

  pid_t FPid = -1;
  bool FExited = false;
  int FIn = -1, FOut = -1, FErr = -1;
};

}  // namespace pzam::runline::test
