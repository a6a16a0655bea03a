// Test helpers: the built pzam-sim as a child process, and the simulated port opened the way the
// program opens it (exclusive, locked, raw).
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::sim::test {

using namespace std::chrono_literals;
using TDuration = std::chrono::milliseconds;

// The built pzam-sim, run through the shared child process helper.
class TSimProcess {
 public:
  explicit TSimProcess(const std::vector<std::string>& args)
      : FChild({PZAM_SIM_EXE, args, "", {}}) {}

  // The first stdout line, split: "COM5 /dev/pts/3" -> "COM5", "/dev/pts/3". Empty on time-out.
  bool WaitForPort(TDuration timeout = 3000ms);
  const std::string& PortName() const { return FPortName; }
  const std::string& Device() const { return FDevice; }

  // Waits until stderr holds `text` (after what earlier waits consumed nothing: all of stderr).
  bool WaitForStderr(const std::string& text, TDuration timeout = 3000ms) {
    return FChild.WaitForStderr(text, timeout);
  }
  const std::string& Stderr() const { return FChild.Stderr(); }

  void Signal(int sig) { FChild.Signal(sig); }
  // The exit code, or -1 when the child did not exit in time or died by a signal.
  int WaitForExit(TDuration timeout = 3000ms) {
    const int code = FChild.WaitForExit(timeout);
    return FChild.TermSignal() != 0 ? -1 : code;
  }

 private:
  pzam::test::TChildProcess FChild;
  std::string FPortName, FDevice;
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

using pzam::test::TTempDir;
using pzam::test::WriteFile;
inline std::string ReadFile(const std::string& path) {
  return pzam::test::FileContent(path);
}
std::vector<std::string> Lines(const std::string& text);

}  // namespace pzam::sim::test
