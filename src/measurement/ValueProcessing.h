// The processing of one decoded value: count, sign, statistics, display texts and panels.
#pragma once

#include <string>

#include "measurement/RunInterfaces.h"
#include "measurement/SharedTexts.h"
#include "measurement/Statistics.h"

namespace pzam::measurement {

enum class TValueOutcome {
  Accepted,    // counted; the texts hold the display forms, every panel shows them
  NotANumber,  // the value text did not read as a number: only Pa_Anz changed
};

// Reads the count and value texts, adds the signed value to `stats` and rewrites the six texts in
// display form ("%8.Nf", N by the decimals rule), showing each panel as it is done. `separator`
// is the decimal separator; "," selects the comma case.
// Throws EConvertError for a count text that is not a whole number (nothing changed) and for a
// deviation text that cannot be read back (the value is counted; Pa_Anz, Pa_Ist and Pa_Mwt show
// it). Precondition: !stats.Full().
TValueOutcome ProcessValue(TSharedTexts& texts, TRunStatistics& stats, char separator,
                           IRunView& view);

// The memo line of a processed value: batch number, clock time and the six texts, joined by
// single blanks.
std::string ValueLine(const std::string& batch, const std::string& time, const TSharedTexts& texts);

}  // namespace pzam::measurement
