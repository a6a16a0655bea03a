// Text bytes for the Excel record file: readers take a worksheet without a code page record as
// Windows-1252, so UTF-8 texts are converted.
#pragma once

#include <string>

namespace pzam::measurement {

// Converts UTF-8 to Windows-1252. A character Windows-1252 lacks becomes "?"; bytes that are not
// valid UTF-8 are taken as 8-bit text already and kept.
std::string Utf8ToCp1252(const std::string& utf8);

}  // namespace pzam::measurement
