// The pieces of a whole-program test: a temporary folder with a settings file and a working
// folder, the simulated instrument (pzam-sim) and the measuring program as child processes, and
// the files a run leaves behind.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::e2e {

using namespace std::chrono_literals;

// The German memo lines of End and of a port that goes and comes back.
inline constexpr char kEnded[] = "Messung beendet";
inline constexpr char kRemoved[] = "Schnittstelle während der Messung entfernt";
inline constexpr char kBack[] = "Schnittstelle wieder da, Messung läuft weiter";
using test::CountOf;
using test::TChildCommand;
using test::TChildProcess;
using test::TMillis;

// A built executable of the project ("pzam-sim", "pzam-tool", "PZAM").
std::string BinPath(const std::string& name);

class TTestDirs {
 public:
  TTestDirs();
  ~TTestDirs();
  TTestDirs(const TTestDirs&) = delete;
  TTestDirs& operator=(const TTestDirs&) = delete;

  const std::string& Root() const { return FRoot; }
  std::string Config() const { return FRoot + "/cfg/PZAMConfig.ini"; }
  // The program's current directory: record files and debug.txt.
  std::string Work() const { return FRoot + "/work"; }
  std::string File(const std::string& name) const { return FRoot + "/" + name; }

 private:
  test::TTempDir FDir;
  std::string FRoot;
};

// pzam-sim with the test's settings file and a log of every text it sends.
class TSim {
 public:
  TSim(const TTestDirs& dirs, const std::string& logName, std::vector<std::string> args);
  // Reads the "COMn /dev/pts/N" line; false when it does not come.
  bool WaitForPort(TMillis timeout = 5000ms);
  const std::string& Port() const { return FPort; }
  const std::string& Device() const { return FDevice; }
  TChildProcess& Process() { return *FProcess; }
  // The texts sent so far, one per log line, without frame ends.
  std::vector<std::string> Sent() const;

 private:
  std::string FLog, FPort, FDevice;
  std::unique_ptr<TChildProcess> FProcess;
};

// pzam-tool measure in the working folder against the given port.
std::unique_ptr<TChildProcess> StartMeasure(const TTestDirs& dirs, const std::string& port,
                                            std::vector<std::string> args,
                                            const std::string& workDir = "");

// Waits until the output holds `count` value lines (memo lines of `batch` with a clock text).
bool WaitForValues(TChildProcess& program, const std::string& batch, int count, TMillis timeout);
int ValueLines(const std::string& output, const std::string& batch);

std::string ReadFile(const std::string& path);
using test::WriteFile;
// Lines without their end (LF, CR LF or LF CR).
std::vector<std::string> Lines(const std::string& text);
// Names of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

}  // namespace pzam::e2e
