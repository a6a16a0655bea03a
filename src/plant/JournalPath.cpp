#include "plant/JournalPath.h"

#include "config/PlantSettings.h"

namespace pzam::plant {

std::string JournalPathFor(const std::string& settingsFile) {
  const auto pos = settingsFile.find_last_of("/\\");
  return (pos == std::string::npos ? std::string() : settingsFile.substr(0, pos + 1)) +
         kJournalFileName;
}

std::string StationJournalOf(const std::string& settingsFile) {
  const std::string set = ReadPlantSettings(settingsFile).Journal;
  return set.empty() ? JournalPathFor(settingsFile) : set;
}

}  // namespace pzam::plant
