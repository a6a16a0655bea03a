// Inspection plans in profile files: reading them through the profile module, writing them whole,
// checking whether a plan can be run.
#include "plan/Plan.h"

#include <algorithm>
#include <charconv>
#include <string_view>
#include <utility>

#include "common/Errors.h"
#include "config/AtomicFile.h"
#include "config/Profile.h"
#include "config/ProfileText.h"
#include "measurement/NumberText.h"
#include "serial/comm/PortNames.h"

namespace pzam::plan {

namespace {

constexpr std::string_view kPlanSection = "Plan";
constexpr std::string_view kEol = "\r\n";
constexpr std::string_view kCables[] = {"duplex", "simplex"};

std::string CharacteristicSection(int row) {
  return "Characteristic" + std::to_string(row);
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v';
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// ---- Values as the file holds them ----

// A number with "." and as few of 15..21 significant digits as read back as the same double
// (21 always do: the reader goes through the 64-bit mantissa of long double).
std::string NumberText(double value) {
  char buf[64];
  std::string text;
  for (int digits = 15; digits <= 21; ++digits) {
    const auto result =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    text.assign(buf, result.ptr);
    long double back = 0;
    if (measurement::TryStrToFloat(text, '.', back) && static_cast<double>(back) == value) break;
  }
  return text;
}

// A text as a value line holds it and the profile functions give it back: a NUL byte ends it and
// line breaks become blanks (as the profile module writes values); a text with blanks at an end,
// or enclosed in a pair of quotation marks, is put in quotes, which the reading removes again.
std::string TextValue(std::string_view text) {
  std::string v(text.substr(0, text.find('\0')));
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  const bool quote =
      !v.empty() &&
      (IsBlank(v.front()) || IsBlank(v.back()) ||
       (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()));
  return quote ? '"' + v + '"' : v;
}

std::string LimitValue(const std::optional<double>& value) {
  return value ? NumberText(*value) : std::string();
}

// Port 0 (none chosen yet) is an empty value; a number outside 1..99 is written as it is and
// reported when read back.
std::string PortValue(int port) {
  return port == 0 ? std::string() : "COM" + std::to_string(port);
}

std::string CableValue(int cable) {
  return cable == 0 || cable == 1 ? std::string(kCables[cable]) : std::to_string(cable);
}

void AddLine(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  out += value;
  out += kEol;
}

std::string PlanText(const TPlan& plan) {
  std::string out = "[Plan]";
  out += kEol;
  AddLine(out, "Name", TextValue(plan.Name));
  AddLine(out, "PartNumber", TextValue(plan.PartNumber));
  AddLine(out, "PartName", TextValue(plan.PartName));
  AddLine(out, "PartIds", plan.PartIds ? "1" : "0");
  int row = 0;
  for (const TCharacteristic& c : plan.Characteristics) {
    out += kEol;
    out += '[' + CharacteristicSection(++row) + ']';
    out += kEol;
    AddLine(out, "Name", TextValue(c.Name));
    AddLine(out, "Nominal", LimitValue(c.Nominal));
    AddLine(out, "Lower", LimitValue(c.Lower));
    AddLine(out, "Upper", LimitValue(c.Upper));
    AddLine(out, "Unit", TextValue(c.Unit));
    AddLine(out, "Decimals", std::to_string(c.Decimals));
    AddLine(out, "Port", PortValue(c.Port));
    AddLine(out, "Mode", std::to_string(c.Mode));
    AddLine(out, "Cable", CableValue(c.Cable));
    AddLine(out, "SignSwap", c.SignSwap ? "1" : "0");
  }
  return out;
}

// ---- Reading ----

// The keys of one section and the problems of its values. A key missing or empty keeps the
// field's default; a value that cannot be read keeps it too and becomes a problem.
class TSectionReader {
 public:
  using TKeys = std::vector<std::pair<std::string_view, std::string_view>>;

  TSectionReader(TKeys keys, int row, std::vector<TPlanProblem>& problems)
      : FKeys(std::move(keys)), FRow(row), FProblems(problems) {}

  void Text(std::string_view key, std::string& field) const {
    if (const auto* raw = Find(key)) field = profile::ReturnedValue(*raw);
  }

  void Number(std::string_view key, std::optional<double>& field) {
    const std::string v = Value(key);
    if (v.empty()) return;
    long double x = 0;
    if (measurement::TryStrToFloat(v, '.', x))
      field = static_cast<double>(x);
    else
      Problem(key, TPlanProblemKind::NotANumber, v,
              "'" + v + "' is not a number (decimal point: \".\")");
  }

  void Whole(std::string_view key, int& field) {
    const std::string v = Value(key);
    if (!v.empty() && !measurement::TryStrToInt(v, field))
      Problem(key, TPlanProblemKind::NotAWholeNumber, v, "'" + v + "' is not a whole number");
  }

  void Flag(std::string_view key, bool& field) {
    const std::string v = Value(key);
    if (v.empty()) return;
    if (v == "0" || v == "1")
      field = v == "1";
    else
      Problem(key, TPlanProblemKind::NotAFlag, v, "'" + v + "' is neither 0 nor 1");
  }

  void Port(std::string_view key, int& field) {
    const std::string v = Value(key);
    if (v.empty()) return;
    if (const int port = comm::PortNumberFromName(v); port != 0)
      field = port;
    else
      Problem(key, TPlanProblemKind::NotAPort, v, "'" + v + "' is not a port COM1..COM99");
  }

  void Mode(std::string_view key, int& field) {
    const std::string v = Value(key);
    if (v.empty()) return;
    int mode = -1;
    if (measurement::TryStrToInt(v, mode) && (mode == 0 || mode == 2 || mode == 3))
      field = mode;
    else
      Problem(key, TPlanProblemKind::NotAMode, v,
              "'" + v + "' is not an operating mode (0, 2 or 3)");
  }

  void Cable(std::string_view key, int& field) {
    const std::string v = Value(key);
    if (v.empty()) return;
    for (int cable = 0; cable < 2; ++cable)
      if (SameName(v, kCables[cable])) {
        field = cable;
        return;
      }
    Problem(key, TPlanProblemKind::NotACable, v, "'" + v + "' is not a cable (duplex or simplex)");
  }

 private:
  // The first key of that name, as the profile functions find it.
  const std::string_view* Find(std::string_view key) const {
    for (const auto& [name, raw] : FKeys)
      if (SameName(name, key)) return &raw;
    return nullptr;
  }

  std::string Value(std::string_view key) const {
    const auto* raw = Find(key);
    return raw ? profile::ReturnedValue(*raw) : std::string();
  }

  void Problem(std::string_view key, TPlanProblemKind kind, const std::string& value,
               std::string reason) {
    FProblems.push_back({FRow, std::string(key), std::move(reason), kind, {value}});
  }

  TKeys FKeys;
  int FRow;
  std::vector<TPlanProblem>& FProblems;
};

TCharacteristic ReadCharacteristic(TSectionReader& r) {
  TCharacteristic c;
  r.Text("Name", c.Name);
  r.Number("Nominal", c.Nominal);
  r.Number("Lower", c.Lower);
  r.Number("Upper", c.Upper);
  r.Text("Unit", c.Unit);
  r.Whole("Decimals", c.Decimals);
  r.Port("Port", c.Port);
  r.Mode("Mode", c.Mode);
  r.Cable("Cable", c.Cable);
  r.Flag("SignSwap", c.SignSwap);
  return c;
}

bool HasText(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c)) return true;
  return false;
}

bool IsPort(int port) {
  return port >= 1 && port <= 99;
}

// What differs between two characteristics on one port, "" when they read it the same way.
std::string LineDifference(const TCharacteristic& a, const TCharacteristic& b) {
  std::vector<std::string> parts;
  if (a.Mode != b.Mode) parts.push_back("operating mode");
  if (a.Cable != b.Cable) parts.push_back("cable");
  if (a.SignSwap != b.SignSwap) parts.push_back("sign swap");
  std::string text;
  for (std::size_t i = 0; i < parts.size(); ++i)
    text += (i == 0 ? "" : i + 1 == parts.size() ? " and " : ", ") + parts[i];
  return text;
}

void CheckCharacteristic(const TPlan& plan, std::size_t index, std::vector<TPlanProblem>& out) {
  const TCharacteristic& c = plan.Characteristics[index];
  const int row = static_cast<int>(index) + 1;
  const auto add = [&](const char* field, std::string reason, TPlanProblemKind kind,
                       std::vector<std::string> args = {}) {
    out.push_back({row, field, std::move(reason), kind, std::move(args)});
  };
  if (!HasText(c.Name)) add("Name", "The characteristic has no name", TPlanProblemKind::NoName);
  // Written so that a NaN counts as outside.
  if (c.Nominal &&
      ((c.Lower && !(*c.Lower <= *c.Nominal)) || (c.Upper && !(*c.Nominal <= *c.Upper))))
    add("Nominal", "The nominal value " + NumberText(*c.Nominal) + " lies outside the limits",
        TPlanProblemKind::NominalOutside, {NumberText(*c.Nominal)});
  if (c.Lower && c.Upper && !(*c.Lower < *c.Upper))
    add("Upper",
        "The lower limit " + NumberText(*c.Lower) + " is not below the upper limit " +
            NumberText(*c.Upper),
        TPlanProblemKind::LowerNotBelowUpper, {NumberText(*c.Lower), NumberText(*c.Upper)});
  if (c.Decimals < 0 || c.Decimals > 6)
    add("Decimals", std::to_string(c.Decimals) + " decimals: 0 to 6 are possible",
        TPlanProblemKind::Decimals, {std::to_string(c.Decimals)});
  if (c.Port == 0)
    add("Port", "No port is chosen", TPlanProblemKind::NoPort);
  else if (!IsPort(c.Port))
    add("Port", "Port number " + std::to_string(c.Port) + ": COM1..COM99 are possible",
        TPlanProblemKind::PortNumber, {std::to_string(c.Port)});
  else
    for (std::size_t first = 0; first < index; ++first) {
      const TCharacteristic& f = plan.Characteristics[first];
      if (f.Port != c.Port) continue;
      if (const std::string diff = LineDifference(f, c); !diff.empty())
        add("Port",
            "COM" + std::to_string(c.Port) + " serves characteristic " + std::to_string(first + 1) +
                " with another " + diff + "; a port reads all its values one way",
            TPlanProblemKind::PortReadOtherWay,
            {std::to_string(c.Port), std::to_string(first + 1)});
      break;
    }
  if (c.Mode != 0 && c.Mode != 2 && c.Mode != 3)
    add("Mode", "Operating mode " + std::to_string(c.Mode) + ": 0, 2 or 3 are possible",
        TPlanProblemKind::Mode, {std::to_string(c.Mode)});
  if (c.Cable != 0 && c.Cable != 1)
    add("Cable", "Cable " + std::to_string(c.Cable) + ": duplex or simplex are possible",
        TPlanProblemKind::Cable, {std::to_string(c.Cable)});
}

}  // namespace

bool ReadPlan(const std::string& path, TPlan& plan, std::vector<TPlanProblem>& problems,
              std::string& error) {
  problems.clear();
  error.clear();
  std::string text;
  if (!ReadProfileText(path, text)) {
    error = "The plan file " + path + " cannot be read";
    problems.push_back({0, "", error, TPlanProblemKind::FileUnreadable, {path}});
    return false;
  }
  // A section counts when it holds a key: the profile functions tell an empty section from a
  // missing one in nothing.
  auto planKeys = profile::SectionKeys(text, kPlanSection);
  if (planKeys.empty()) {
    error = "The file " + path + " holds no plan (no [Plan] section)";
    problems.push_back({0, "", error, TPlanProblemKind::NoPlanSection, {path}});
    return false;
  }
  TPlan read;
  TSectionReader head(std::move(planKeys), 0, problems);
  head.Text("Name", read.Name);
  head.Text("PartNumber", read.PartNumber);
  head.Text("PartName", read.PartName);
  head.Flag("PartIds", read.PartIds);
  for (int row = 1;; ++row) {
    auto keys = profile::SectionKeys(text, CharacteristicSection(row));
    if (keys.empty()) break;
    if (row > kMaxCharacteristics) {
      problems.push_back({0,
                          "",
                          "The file holds more than " + std::to_string(kMaxCharacteristics) +
                              " characteristics; the ones after them are not read",
                          TPlanProblemKind::MoreInFile,
                          {std::to_string(kMaxCharacteristics)}});
      break;
    }
    TSectionReader section(std::move(keys), row, problems);
    read.Characteristics.push_back(ReadCharacteristic(section));
  }
  plan = std::move(read);
  return true;
}

void WritePlan(const std::string& path, const TPlan& plan) {
  if (!WriteFileAtomically(path, PlanText(plan))) throw EIniFileError(path);
}

std::vector<TPlanProblem> CheckPlan(const TPlan& plan) {
  std::vector<TPlanProblem> problems;
  if (!HasText(plan.Name))
    problems.push_back({0, "Name", "The plan has no name", TPlanProblemKind::NoPlanName, {}});
  const std::size_t count = plan.Characteristics.size();
  if (count == 0)
    problems.push_back(
        {0, "", "The plan has no characteristic", TPlanProblemKind::NoCharacteristic, {}});
  if (count > kMaxCharacteristics)
    problems.push_back({0,
                        "",
                        "The plan has " + std::to_string(count) + " characteristics; at most " +
                            std::to_string(kMaxCharacteristics) + " are possible",
                        TPlanProblemKind::TooManyCharacteristics,
                        {std::to_string(count), std::to_string(kMaxCharacteristics)}});
  for (std::size_t i = 0; i < count; ++i) CheckCharacteristic(plan, i, problems);
  return problems;
}

std::vector<int> PlanPorts(const TPlan& plan) {
  std::vector<int> ports;
  for (const TCharacteristic& c : plan.Characteristics)
    if (IsPort(c.Port) && std::find(ports.begin(), ports.end(), c.Port) == ports.end())
      ports.push_back(c.Port);
  return ports;
}

}  // namespace pzam::plan
