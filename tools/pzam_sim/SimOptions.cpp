#include "SimOptions.h"

#include <strings.h>
#include <charconv>
#include <cmath>

namespace pzam::sim {
namespace {

template <typename T>
bool ParseNumber(const std::string& text, T& out) {
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = first + text.size();
  if constexpr (std::is_floating_point_v<T>) {
    if (*first == '+') ++first;  // from_chars takes no plus sign
  }
  auto [ptr, ec] = std::from_chars(first, last, out);
  return ec == std::errc() && ptr == last;
}

// Options that take a value; everything else is a flag.
bool TakesValue(const std::string& name) {
  for (const char* n : {"instrument", "port", "config", "interval", "count", "mean", "sd", "seed",
                        "log", "cable", "pace"}) {
    if (name == n) return true;
  }
  return false;
}

std::string Apply(TSimOptions& o, const std::string& name, const std::string& value) {
  const std::string bad = "bad value '" + value + "' for --" + name;
  if (name == "instrument") {
    if (value == "zam")
      o.Instrument = TInstrument::Zam;
    else if (value == "sylvac")
      o.Instrument = TInstrument::Sylvac;
    else if (value == "quorvant")
      o.Instrument = TInstrument::Quorvant;
    else
      return bad + " (zam, sylvac or quorvant)";
  } else if (name == "cable") {
    if (value == "duplex")
      o.Cable = TCable::Duplex;
    else if (value == "simplex")
      o.Cable = TCable::Simplex;
    else
      return bad + " (duplex or simplex)";
  } else if (name == "pace") {
    if (value == "line")
      o.Pace = TPace::Line;
    else if (value == "pty")
      o.Pace = TPace::Pty;
    else
      return bad + " (line or pty)";
  } else if (name == "port") {
    o.PortNumber = ParsePortName(value);
    if (o.PortNumber == 0) return bad + " (COM1 to COM99)";
  } else if (name == "config") {
    if (value.empty()) return bad;
    o.ConfigPath = value;
  } else if (name == "log") {
    if (value.empty()) return bad;
    o.LogPath = value;
  } else if (name == "interval") {
    if (!ParseNumber(value, o.IntervalMs) || o.IntervalMs < 0 || o.IntervalMs > 3600000)
      return bad + " (0 to 3600000 ms)";
  } else if (name == "count") {
    if (!ParseNumber(value, o.Count)) return bad + " (a whole number, 0 = endless)";
  } else if (name == "mean") {
    if (!ParseNumber(value, o.Mean) || !std::isfinite(o.Mean) || std::fabs(o.Mean) >= 1000.0)
      return bad + " (a number between -999.999 and 999.999)";
  } else if (name == "sd") {
    if (!ParseNumber(value, o.Sd) || !std::isfinite(o.Sd) || o.Sd < 0.0 || o.Sd >= 1000.0)
      return bad + " (a number from 0 below 1000)";
  } else if (name == "seed") {
    std::uint32_t seed = 0;
    if (!ParseNumber(value, seed)) return bad + " (0 to 4294967295)";
    o.Seed = seed;
  }
  return {};
}

}  // namespace

int ParsePortName(const std::string& name) {
  if (name.size() < 4 || name.size() > 5 || strncasecmp(name.c_str(), "COM", 3) != 0) return 0;
  int n = 0;
  const std::string digits = name.substr(3);
  if (digits[0] == '0' || !ParseNumber(digits, n)) return 0;
  return n >= 1 && n <= 99 ? n : 0;
}

TParseResult ParseSimOptions(const std::vector<std::string>& args) {
  TParseResult r;
  bool haveInstrument = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      r.Options.Help = true;
      return r;
    }
    if (arg.rfind("--", 0) != 0) {
      r.Error = "unexpected argument '" + arg + "'";
      return r;
    }
    std::string name = arg.substr(2);
    std::string value;
    const auto eq = name.find('=');
    const bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    if (name == "messages" && !inlineValue) {
      r.Options.Messages = true;
      continue;
    }
    if (!TakesValue(name)) {
      r.Error = "unknown option '" + arg + "'";
      return r;
    }
    if (!inlineValue) {
      if (i + 1 >= args.size()) {
        r.Error = "option --" + name + " needs a value";
        return r;
      }
      value = args[++i];
    }
    r.Error = Apply(r.Options, name, value);
    if (!r.Error.empty()) return r;
    haveInstrument = haveInstrument || name == "instrument";
  }
  if (!haveInstrument) {
    r.Error = "missing --instrument zam|sylvac|quorvant";
  } else if (r.Options.Cable != TCable::Auto && r.Options.Instrument != TInstrument::Sylvac) {
    r.Error = "--cable applies to --instrument sylvac only";
  } else if (r.Options.Messages && r.Options.Instrument != TInstrument::Zam) {
    r.Error = "--messages applies to --instrument zam only";
  }
  return r;
}

const char* SimUsage() {
  return "usage: pzam-sim --instrument zam|sylvac|quorvant [--port COMn] [--config FILE]\n"
         "                [--interval MS] [--count N] [--mean X] [--sd S] [--seed N]\n"
         "                [--pace line|pty] [--messages] [--cable duplex|simplex] [--log FILE]\n"
         "\n"
         "Simulates a length gauge on a pseudo-terminal and enters it as COMn in the [Ports]\n"
         "section of the settings file until it ends (Ctrl+C).\n"
         "  --instrument  zam: telegrams every interval; sylvac: answers \"PRI\\r\" and sends\n"
         "                a value when the port is reopened; quorvant: a value every interval\n"
         "  --port        COM1..COM99 (default: the first free one from COM5 up)\n"
         "  --config      settings file (default: P-ZAM's own PZAMConfig.ini)\n"
         "  --interval    ms between values, 0 = at the line rate (default 1000)\n"
         "  --pace        line: no faster than the instrument's baud rate (default); pty: as\n"
         "                fast as the pseudo-terminal takes the texts (with --interval 0)\n"
         "  --count       stop after N values (default 0 = endless)\n"
         "  --mean, --sd  normal distribution of the values (default 12.345, 0.005)\n"
         "  --seed        seed for repeatable values\n"
         "  --messages    zam: every 7th telegram is an \"@MSG\" message\n"
         "  --cable       sylvac: duplex (only \"PRI\\r\") or simplex (only reopen)\n"
         "  --log         write each sent text as one line to FILE\n";
}

}  // namespace pzam::sim
