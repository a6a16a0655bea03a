// Where a station keeps its journal: beside the settings file in use, or where its [Plant]
// section says.
#pragma once

#include <string>

namespace pzam::plant {

inline constexpr char kJournalFileName[] = "pzam-journal.sqlite";

// "pzam-journal.sqlite" in the folder of `settingsFile` (the current folder for a bare name).
std::string JournalPathFor(const std::string& settingsFile);

// The journal a station with this settings file uses: its [Plant] Journal, else the one beside it.
std::string StationJournalOf(const std::string& settingsFile);

}  // namespace pzam::plant
