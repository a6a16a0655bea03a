// The settings file's [Plant] section: the station's name in plant data, the broker it publishes
// to with its login and CA, and where its journal lies. Read after the other sections and written
// after them; a file without the section keeps its bytes.
#pragma once

#include <string>

namespace pzam {

namespace settings {
inline constexpr char kPlant[] = "Plant";
inline constexpr char kStation[] = "Station";
inline constexpr char kBroker[] = "Broker";
inline constexpr char kUser[] = "User";
inline constexpr char kPasswordFile[] = "PasswordFile";
inline constexpr char kCAFile[] = "CAFile";
inline constexpr char kJournal[] = "Journal";
}  // namespace settings

struct TPlantSettings {
  bool Present = false;  // the file has a [Plant] section with at least one key
  std::string Station;   // empty: the host name
  std::string Broker;    // empty: no publication
  std::string User;
  std::string PasswordFile;
  std::string CAFile;
  std::string Journal;  // empty: beside the settings file

  bool operator==(const TPlantSettings&) const = default;
};

TPlantSettings ReadPlantSettings(const std::string& settingsPath);

// Writes the six keys into [Plant] (the section is added at the end of the file when missing).
// Throws EIniFileError as WriteProfileString does.
void WritePlantSettings(const std::string& settingsPath, const TPlantSettings& plant);

// The station's name: the setting, else this machine's host name, else "station".
std::string StationName(const TPlantSettings& plant);

}  // namespace pzam
