// The user's regional settings the program uses: the decimal separator and the long time format.
// Read once at start (LC_NUMERIC and LC_TIME on POSIX, the regional settings on Windows) and
// passed on, so tests can inject their own.
#pragma once

#include <ctime>
#include <string>

namespace pzam {

struct TFormatSettings {
  char DecimalSeparator = '.';
  // strftime pattern of the long time format (T_FMT on Linux; from the time picture on Windows).
  std::string LongTimeFormat = "%H:%M:%S";
};

// The settings of the user's locale as the environment selects it (LANG, LC_ALL, ...; the user's
// regional settings on Windows).
TFormatSettings SystemFormatSettings();

// A broken-down local time, as the clock gives it and the record file name needs it.
struct TDateTime {
  int Year = 2000, Month = 1, Day = 1, Hour = 0, Minute = 0, Second = 0;
};

// The current local time.
TDateTime Now();

// Parses "YYYY-MM-DD hh:mm:ss"; false on any other form or an impossible date or time.
bool ParseDateTime(const std::string& text, TDateTime& out);

// The clock time in the long time format ("14:03:27").
std::string TimeToText(const TDateTime& t, const TFormatSettings& fs);

}  // namespace pzam
