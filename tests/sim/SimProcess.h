// Test helpers: the built pzam-sim as a child process, and the simulated port opened the way the
// program opens it (exclusive, locked, raw).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace pzam::sim::test {

using namespace std::chrono_literals;
using TDuration = std::chrono::milliseconds;

class TSimProcess {
 public:
  explicit TSimProcess(const std::vector<std::string>& args);
  ~TSimProcess();  // kills the child if it still runs

  // The first stdout line, split: "COM5 /dev/pts/3" -> "COM5", "/dev/pts/3". Empty on time-out.
  bool WaitForPort(TDuration timeout = 3000ms);
  const std::string& PortName() const { return FPortName; }
  const std::string& Device() const { return FDevice; }

  // Waits until stderr holds `text` (after what earlier waits consumed nothing: all of stderr).
  bool WaitForStderr(const std::string& text, TDuration timeout = 3000ms);
  const std::string& Stderr() const { return FStderr; }

  void Signal(int sig);
  // The exit code, or -1 when the child did not exit in time or died by a signal.
  int WaitForExit(TDuration timeout = 3000ms);

 private:
  void Drain(TDuration timeout);

  pid_t FPid = -1;
  int FOut = -1;
  int FErr = -1;
  bool FExited = false;
  std::string FStdout, FStderr, FPortName, FDevice;
};

class TProgramPort {
 public:
  // Opens as the program does: O_NONBLOCK, TIOCEXCL, flock; records the line settings found.
  explicit TProgramPort(const std::string& device);
  ~TProgramPort();
  bool IsOpen() const { return FFd >= 0; }
  bool FoundRaw() const { return FFoundRaw; }

  // Text up to and including `end`; empty on time-out.
  std::string ReadUntil(char end, TDuration timeout = 3000ms);
  // Everything that arrives within `window`.
  std::string ReadFor(TDuration window);
  void Write(const std::string& text);
  void Close();

 private:
  int FFd = -1;
  bool FFoundRaw = false;
  std::string FPending;
};

// A fresh directory for one test, removed with its files.
class TTempDir {
 public:
  TTempDir();
  ~TTempDir();
  std::string File(const std::string& name) const { return FPath + "/" + name; }

 private:
  std::string FPath;
};

std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);
std::vector<std::string> Lines(const std::string& text);

}  // namespace pzam::sim::test
