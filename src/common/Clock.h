// One reading of the clock: the instant, the local time the texts show and the offset from UTC in
// force, so that everything told about one value carries the same time.
#pragma once

#include <chrono>

#include "common/FormatSettings.h"

namespace pzam {

struct TClockReading {
  std::chrono::system_clock::time_point Instant;
  TDateTime Local;        // to the second, as the record row and the memo show it
  int OffsetMinutes = 0;  // local time minus UTC
};

// The clock now.
TClockReading ReadClock();

// A given local time (a fixed clock of the tests or the tools) as the instant it names in this
// machine's time zone.
TClockReading ClockAt(const TDateTime& local);

}  // namespace pzam
