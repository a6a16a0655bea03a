// Command-line options of the instrument simulator.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pzam::sim {

enum class TInstrument { Zam, Sylvac, Quorvant };

// Which cable a Sylvac instrument is wired with. Auto answers "PRI\r" and also sends a value
// whenever the port is reopened; Duplex only answers "PRI\r"; Simplex only sends on reopen.
enum class TCable { Auto, Duplex, Simplex };

// How fast texts go out: no faster than the instrument's line (its baud rate), or as fast as the
// pseudo-terminal takes them (for soak runs and load tests).
enum class TPace { Line, Pty };

struct TSimOptions {
  TInstrument Instrument = TInstrument::Zam;
  TCable Cable = TCable::Auto;
  int PortNumber = 0;      // 0: the first free COMn from COM5 upward
  std::string ConfigPath;  // empty: the program's settings file
  std::string LogPath;     // empty: sent texts go to stderr only
  int IntervalMs = 1000;   // 0: back to back at the line rate
  TPace Pace = TPace::Line;
  std::uint64_t Count = 0;  // 0: endless
  double Mean = 12.345;
  double Sd = 0.005;
  std::optional<std::uint32_t> Seed;
  bool Messages = false;
  bool Help = false;
};

// The outcome of parsing: options, or a one-line error text.
struct TParseResult {
  TSimOptions Options;
  std::string Error;  // empty on success
};

TParseResult ParseSimOptions(const std::vector<std::string>& args);

// "COM5" -> 5; 0 for anything that is not COM1 to COM99 (letter case of "COM" ignored).
int ParsePortName(const std::string& name);

const char* SimUsage();

}  // namespace pzam::sim
