#include "config/SettingsFile.h"

#include <cstdint>
#include <set>

#include "common/Paths.h"
#include "config/Profile.h"
#include "config/ProfileText.h"
#include "platform/Folders.h"

namespace pzam {

std::string SettingsFilePathFor(const TSettingsPlace& place) {
  const std::string folder =
      place.ProgramDirWritable
          ? std::string()
          : platform::UserConfigFolderFor({place.XdgConfigHome, place.Home, place.AppData});
  return (folder.empty() ? place.ProgramDir : folder) + settings::kFileName;
}

bool FolderWritable(const std::string& dir) {
  return platform::FolderWritable(dir);
}

std::string SettingsFilePathIn(const std::string& programDir) {
  const platform::TConfigEnvironment env = platform::ConfigEnvironment();
  return SettingsFilePathFor(
      {programDir, FolderWritable(programDir), env.XdgConfigHome, env.Home, env.AppData});
}

std::string SettingsFilePath() {
  return SettingsFilePathIn(ExecutableDir());
}

bool CreateSettingsFolder(const std::string& path) {
  return platform::CreateFolders(DirectoryOf(path));
}

namespace {

// The port number of a key "COM1" to "COM99" (any letter case, no leading zero), else 0.
int PortNumber(std::string_view key) {
  if (key.size() < 4 || key.size() > 5) return 0;
  for (std::size_t i = 0; i < 3; ++i)
    if ((key[i] | 0x20) != "com"[i]) return 0;
  int n = 0;
  for (std::size_t i = 3; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9' || (i == 3 && key[i] == '0')) return 0;
    n = n * 10 + (key[i] - '0');
  }
  return n;
}

}  // namespace

std::map<int, std::string> PortMapFromText(std::string_view text) {
  std::map<int, std::string> map;
  std::set<int> seen;  // the first line of a key wins, even with an empty value
  for (const auto& [key, raw] : profile::SectionKeys(text, settings::kPorts)) {
    const int n = PortNumber(key);
    if (n == 0 || !seen.insert(n).second) continue;
    std::string device = profile::ReturnedValue(raw);
    if (!device.empty()) map[n] = std::move(device);
  }
  return map;
}

std::map<int, std::string> ReadPortMap(const std::string& path) {
  std::string text;
  return ReadProfileText(path, text) ? PortMapFromText(text) : std::map<int, std::string>{};
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view digits, int& value) {
  if (digits.empty()) return false;
  std::uint32_t v = 0;
  for (char c : digits) {
    const int d = HexDigit(c);
    if (d < 0 || (v >> 28) != 0) return false;  // not a digit, or more than 32 bits
    v = (v << 4) | static_cast<std::uint32_t>(d);
  }
  value = static_cast<int>(static_cast<std::int32_t>(v));
  return true;
}

bool ParseDecimal(std::string_view text, int& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
    if (v > std::int64_t{INT32_MAX} + 1) return false;
  }
  if (negative) v = -v;
  if (v > INT32_MAX || v < INT32_MIN) return false;
  value = static_cast<int>(v);
  return true;
}

}  // namespace

bool ParseProfileInteger(std::string_view text, int& value) {
  if (text.starts_with("0x") || text.starts_with("0X")) return ParseHex(text.substr(2), value);
  if (text.starts_with('x') || text.starts_with('X') || text.starts_with('$'))
    return ParseHex(text.substr(1), value);
  return ParseDecimal(text, value);
}

int ReadProfileInteger(const std::string& path, const std::string& section, const std::string& key,
                       int defaultValue) {
  int value = 0;
  const std::string text = ReadProfileString(path, section, key, "");
  return ParseProfileInteger(text, value) ? value : defaultValue;
}

int ClampSelectionIndex(int index, int itemCount) {
  if (index >= itemCount) index = itemCount - 1;
  return index < -1 ? -1 : index;
}

}  // namespace pzam
