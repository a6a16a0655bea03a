// An inspection plan: a part with its characteristics, each with its limits and the gauge that
// measures it (port, operating mode, cable, sign swap). A plan is data, kept in a profile file:
//
//   [Plan]              Name, PartNumber, PartName, PartIds (0 none, 1 each part needs an id)
//   [Characteristic1]   Name, Nominal, Lower, Upper (either may be empty), Unit, Decimals,
//   ...                 Port (COMn), Mode (0, 2 or 3), Cable (duplex/simplex), SignSwap (0/1)
//   [CharacteristicN]   N up to 99; numbers with "."
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pzam::plan {

inline constexpr int kMaxCharacteristics = 99;

struct TCharacteristic {
  // Every member has an initialiser, so designated initialisers may leave any out.
  std::string Name{};
  std::optional<double> Nominal{}, Lower{}, Upper{};
  std::string Unit{};
  int Decimals = 3;
  int Port = 0;   // COM number, 1..99
  int Mode = 0;   // 0, 2 or 3
  int Cable = 0;  // 0 duplex, 1 simplex
  bool SignSwap = false;

  bool operator==(const TCharacteristic&) const = default;
};

struct TPlan {
  std::string Name{};
  std::string PartNumber{};
  std::string PartName{};
  bool PartIds = false;
  std::vector<TCharacteristic> Characteristics{};  // in plan order

  bool operator==(const TPlan&) const = default;
};

// What is wrong, so that a window can say it in its own language: each kind is one text whose
// %s are filled with the problem's Args in order.
enum class TPlanProblemKind {
  NoPlanName,              //
  NoCharacteristic,        //
  TooManyCharacteristics,  // the count, the most possible
  MoreInFile,              // the most possible
  NoName,                  //
  NominalOutside,          // the nominal value
  LowerNotBelowUpper,      // the lower limit, the upper limit
  Decimals,                // the decimals
  NoPort,                  //
  PortNumber,              // the port's number
  PortReadOtherWay,        // the port's number, the characteristic that uses it first
  Mode,                    // the mode
  Cable,                   // the cable's number
  NotANumber,              // the text read (this and the next five: values of the file)
  NotAWholeNumber,
  NotAFlag,
  NotAPort,
  NotAMode,
  NotACable,
  FileUnreadable,  // the file's path (this and the next: the file cannot be taken at all)
  NoPlanSection,   // the file's path
};
inline constexpr int kPlanProblemKinds = static_cast<int>(TPlanProblemKind::NoPlanSection) + 1;

// Where a plan cannot be used: the field and the reason. Row 0 is the [Plan] section, rows 1..N
// the characteristics; the field is empty for the plan as a whole (no characteristic, too many).
struct TPlanProblem {
  int Row = 0;
  std::string Field;   // the key's name ("Name", "Upper", "Port", ...)
  std::string Reason;  // in English, one line (the command line's words)
  TPlanProblemKind Kind = TPlanProblemKind::NoPlanName;
  std::vector<std::string> Args;
  bool operator==(const TPlanProblem&) const = default;
};

// Reads a plan file. False with `error` set when it cannot be read or holds no [Plan] section
// (and that one problem in `problems`);
// values that cannot be read are kept as problems for CheckPlan (a text where a number belongs
// reads as missing and is reported in `problems`). A section without keys counts as missing. On
// false the plan is left as it was.
bool ReadPlan(const std::string& path, TPlan& plan, std::vector<TPlanProblem>& problems,
              std::string& error);

// Writes the plan (the file is replaced whole). Throws EIniFileError when it cannot be written.
void WritePlan(const std::string& path, const TPlan& plan);

// Every problem of a plan: a missing name, no characteristic or more than 99, a lower limit not
// below the upper, a nominal outside the limits, decimals outside 0..6, a port outside COM1..99,
// a mode other than 0, 2 or 3, a cable other than duplex or simplex, characteristics on one port
// with different modes, cables or sign swaps (one port decodes one way). Empty when it can be run.
std::vector<TPlanProblem> CheckPlan(const TPlan& plan);

// The ports a plan opens, each once, in order of first use (only COM1..COM99).
std::vector<int> PlanPorts(const TPlan& plan);

}  // namespace pzam::plan
