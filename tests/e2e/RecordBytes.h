// The exact bytes of a record file, built from expected rows, and the clock-time cells read back
// from a produced file (the one column a test cannot know in advance).
#pragma once

#include <string>
#include <vector>

#include "ExpectedRun.h"

namespace pzam::e2e {

using THeader = std::array<std::string, 8>;

// The column heads of texts 9010 to 9017.
THeader HeaderTexts(const std::string& language);

// Rows must carry their clock time in cell 1.
// Excel: one BOF, a LABEL per cell (header row 0, value rows from 1, columns 1 to 8), EOF.
std::string ExcelBytes(const THeader& header, const std::vector<TRow>& rows);
// Text file: fields joined by ";", every line ending in LF CR.
std::string CsvBytes(const THeader& header, const std::vector<TRow>& rows);

// The clock-time texts of the value rows of a produced file, in row order (empty when the file
// does not have the expected shape).
std::vector<std::string> ExcelTimes(const std::string& bytes);
std::vector<std::string> CsvTimes(const std::string& bytes);

// Rows with the given times put in; false when the counts differ.
bool WithTimes(std::vector<TRow>& rows, const std::vector<std::string>& times);

}  // namespace pzam::e2e
