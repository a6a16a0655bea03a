// Checks of a finished run against the model: memo lines, record file (byte for byte, with the
// clock column taken from the produced file and checked for plausibility), record file name and
// trace file. Failures are reported through GoogleTest.
#pragma once

#include <ctime>
#include <string>
#include <vector>

#include "ExpectedRun.h"

namespace pzam::e2e {

struct TRunWindow {
  std::time_t Start = 0;  // before the program started
  std::time_t End = 0;    // after it ended
};

// The value lines must carry a "HH:MM:SS" clock text within the run's window.
// `endLine` is the text End adds.
void CheckMemo(const std::vector<std::string>& actual, const TExpectedRun& model,
               const std::string& batch, const TRunWindow& window, const std::string& endLine);

// The working folder after the run: debug.txt and, with save mode 1 or 2, one record file
// named date_time_batch.xls/.csv holding exactly the model's rows.
void CheckFiles(const std::string& folder, const TExpectedRun& model, int saveMode,
                const std::string& batch, const std::string& language, const TRunWindow& window,
                const std::vector<std::string>& memoTimes);

// The clock texts of the value lines of a memo, in order.
std::vector<std::string> MemoTimes(const std::vector<std::string>& memo, const std::string& batch);

// Seconds of the day of "HH:MM:SS"; -1 when the text is not of that form.
int SecondsOfDay(const std::string& time);

std::time_t Now();

}  // namespace pzam::e2e
