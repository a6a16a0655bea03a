// Time texts of plant data: ISO 8601 with milliseconds and the UTC offset in force,
// "2026-12-09T21:30:05.123+01:00".
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace pzam::plant {

// The time at the given offset from UTC (minutes east).
std::string IsoTimeText(std::chrono::system_clock::time_point t, int offsetMinutes);

// The time in the machine's local time zone.
std::string LocalIsoTimeText(std::chrono::system_clock::time_point t);

// True for "YYYY-MM-DDThh:mm:ss", an optional fraction of 1 to 6 digits and "Z" or "+hh:mm" /
// "-hh:mm", with every field in its range (day up to the month's length, leap years counted).
bool IsIsoTimeText(std::string_view text);

}  // namespace pzam::plant
