// Regional settings: the user's decimal separator and long time format, and the local time.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace pzam::platform {

// The user's decimal separator and long time format (a strftime pattern); what the system does not
// give is left as it is. POSIX: LC_NUMERIC and LC_TIME's T_FMT of the locale the environment
// selects, the process's own locale staying "C"; Windows: the user's regional settings
// (LOCALE_SDECIMAL, LOCALE_STIMEFORMAT).
void ReadRegionalSettings(char& decimalSeparator, std::string& longTimeFormat);

// A Windows time picture ("HH:mm:ss", "h:mm:ss tt") as a strftime pattern for the C runtime of
// Windows ("%H:%M:%S", "%#I:%M:%S %p"): one letter gives the number without a leading zero, two
// with; text in single quotes is taken as it is.
std::string TimeFormatFromPicture(std::string_view picture);

// t in the user's time zone; false when it cannot be converted.
bool LocalTime(std::time_t t, std::tm& out);

// The user's time zone's offset from UTC at t, in minutes east (+60 for 09:00 local at 08:00
// UTC); 0 when it cannot be told.
int UtcOffsetMinutes(std::time_t t);

}  // namespace pzam::platform
