// The trace file "debug.txt": recreated with the line "test" by every Initialise, one line per
// decoded gauge telegram. Opened and closed for each line.
#pragma once

#include <string>

namespace pzam::measurement {

inline constexpr const char* kTraceFileName = "debug.txt";

// Creates the trace file in `directory` (empty: the current directory). Throws EInOutError.
void CreateTraceFile(const std::string& directory);

// Appends `line` and CR LF. Throws EInOutError (also when the file no longer exists).
void AppendTraceLine(const std::string& directory, const std::string& line);

}  // namespace pzam::measurement
