#include "config/PlantSettings.h"

#include "config/Profile.h"
#include "config/ProfileText.h"
#include "platform/Users.h"

namespace pzam {

TPlantSettings ReadPlantSettings(const std::string& settingsPath) {
  using namespace settings;
  TPlantSettings p;
  std::string text;
  if (!ReadProfileText(settingsPath, text)) return p;
  const auto value = [&text](const char* key) {
    const auto raw = profile::FindValue(text, kPlant, key);
    return raw ? profile::ReturnedValue(*raw) : std::string();
  };
  p.Present = !profile::SectionKeys(text, kPlant).empty();
  p.Station = value(kStation);
  p.Broker = value(kBroker);
  p.User = value(kUser);
  p.PasswordFile = value(kPasswordFile);
  p.CAFile = value(kCAFile);
  p.Journal = value(kJournal);
  return p;
}

void WritePlantSettings(const std::string& settingsPath, const TPlantSettings& plant) {
  using namespace settings;
  WriteProfileString(settingsPath, kPlant, kStation, plant.Station);
  WriteProfileString(settingsPath, kPlant, kBroker, plant.Broker);
  WriteProfileString(settingsPath, kPlant, kUser, plant.User);
  WriteProfileString(settingsPath, kPlant, kPasswordFile, plant.PasswordFile);
  WriteProfileString(settingsPath, kPlant, kCAFile, plant.CAFile);
  WriteProfileString(settingsPath, kPlant, kJournal, plant.Journal);
}

std::string StationName(const TPlantSettings& plant) {
  if (!plant.Station.empty()) return plant.Station;
  const std::string host = platform::HostName();
  return host.empty() ? "station" : host;
}

}  // namespace pzam
