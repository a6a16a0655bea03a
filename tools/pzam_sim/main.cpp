// pzam-sim: a length gauge on a pseudo-terminal, for demonstrations and tests without hardware.
#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "PortEntry.h"
#include "PtyLine.h"
#include "SimLog.h"
#include "SimOptions.h"
#include "Simulator.h"
#include "common/SignalPipe.h"
#include "config/SettingsFile.h"

namespace {

int Fail(const std::string& message, int code) {
  std::cerr << "pzam-sim: " << message << "\n";
  return code;
}

int Run(const pzam::sim::TSimOptions& options) {
  using namespace pzam::sim;
  pzam::TSignalPipe signals;
  if (!signals.Valid()) return Fail("cannot set up signal handling", 1);
  ::signal(SIGPIPE, SIG_IGN);  // a reader gone from stdout or the log is a failed write
  TSimLog log;
  if (!options.LogPath.empty()) {
    if (auto error = log.OpenFile(options.LogPath); !error.empty()) return Fail(error, 1);
  }
  TPtyLine line;
  if (auto error = line.Open(); !error.empty()) return Fail(error, 1);

  // The program's own settings file (its folder made at need); a file given is taken as it is.
  const std::string config =
      options.ConfigPath.empty() ? pzam::SettingsFilePath() : options.ConfigPath;
  if (options.ConfigPath.empty() && !pzam::CreateSettingsFolder(config))
    return Fail("cannot create the folder of " + config, 1);
  TPortEntry entry(config, options.PortNumber, line.SlavePath());
  if (!entry.Replaced().empty()) {
    log.Event(entry.PortName() + " was " + entry.Replaced() + " in " + config);
  }
  const std::uint32_t seed = options.Seed ? *options.Seed : std::random_device{}();
  log.Event("seed " + std::to_string(seed));
  // The one line on stdout: which port the program should use.
  std::printf("%s %s\n", entry.PortName().c_str(), line.SlavePath().c_str());
  std::fflush(stdout);

  TSimulator simulator(options, seed, line, log);
  simulator.Run(signals.ReadFd());
  entry.Remove();
  log.Event("ended after " + std::to_string(simulator.ValuesSent()) + " values");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = pzam::sim::ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.Error.empty()) return Fail(parsed.Error + " (try --help)", 2);
  if (parsed.Options.Help) {
    std::fputs(pzam::sim::SimUsage(), stdout);
    return 0;
  }
  try {
    return Run(parsed.Options);
  } catch (const std::exception& e) {
    return Fail(e.what(), 1);
  }
}
