#include "plant/JournalPath.h"

namespace pzam::plant {

std::string JournalPathFor(const std::string& settingsFile) {
  const auto pos = settingsFile.find_last_of("/\\");
  return (pos == std::string::npos ? std::string() : settingsFile.substr(0, pos + 1)) +
         kJournalFileName;
}

}  // namespace pzam::plant
