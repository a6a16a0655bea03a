#include "RunCheck.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "E2eFixture.h"
#include "RecordBytes.h"

namespace pzam::e2e {
namespace {

int SecondsOfDay(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return tm.tm_hour * 3600 + tm.tm_min * 60 + tm.tm_sec;
}

bool InWindow(int seconds, const TRunWindow& w) {
  return seconds >= SecondsOfDay(w.Start) && seconds <= SecondsOfDay(w.End);
}

}  // namespace

std::time_t Now() {
  return std::time(nullptr);
}

int SecondsOfDay(const std::string& time) {
  static const std::regex form(R"((\d\d):(\d\d):(\d\d))");
  std::smatch m;
  if (!std::regex_match(time, m, form)) return -1;
  return std::stoi(m[1]) * 3600 + std::stoi(m[2]) * 60 + std::stoi(m[3]);
}

std::vector<std::string> MemoTimes(const std::vector<std::string>& memo, const std::string& batch) {
  std::vector<std::string> times;
  for (const auto& line : memo) {
    if (line.rfind(batch + " ", 0) == 0 && line.size() > batch.size() + 9 &&
        SecondsOfDay(line.substr(batch.size() + 1, 8)) >= 0)
      times.push_back(line.substr(batch.size() + 1, 8));
  }
  return times;
}

void CheckMemo(const std::vector<std::string>& actual, const TExpectedRun& model,
               const std::string& batch, const TRunWindow& window, const std::string& endLine) {
  std::vector<std::string> expected;
  const auto times = MemoTimes(actual, batch);
  std::size_t timed = 0;
  for (const auto& m : model.Memo()) {
    if (!m.HasTime) {
      expected.push_back(m.Text);
      continue;
    }
    const std::string time = timed < times.size() ? times[timed] : "??:??:??";
    ++timed;
    EXPECT_TRUE(InWindow(SecondsOfDay(time), window)) << time;
    expected.push_back(batch + " " + time + " " + m.Text);
  }
  expected.push_back(endLine);
  EXPECT_EQ(actual, expected);
}

void CheckFiles(const std::string& folder, const TExpectedRun& model, int saveMode,
                const std::string& batch, const std::string& language, const TRunWindow& window,
                const std::vector<std::string>& memoTimes) {
  EXPECT_EQ(ReadFile(folder + "/debug.txt"), model.TraceFile());
  const auto files = FilesIn(folder);
  if (saveMode == 0) {
    EXPECT_EQ(files, std::vector<std::string>{"debug.txt"});
    return;
  }
  ASSERT_EQ(files.size(), 2u);
  const std::string& name = files[0] == "debug.txt" ? files[1] : files[0];
  const std::string extension = saveMode == 1 ? "xls" : "csv";
  std::smatch m;
  const std::regex form("(\\d{8})_(\\d{1,6})_" + batch + "\\." + extension);
  ASSERT_TRUE(std::regex_match(name, m, form)) << name;
  const int hhmmss = std::stoi(m[2]);
  EXPECT_TRUE(InWindow(hhmmss / 10000 * 3600 + hhmmss / 100 % 100 * 60 + hhmmss % 100, window))
      << name;
  std::tm day{};
  localtime_r(&window.Start, &day);
  char date[48];
  std::snprintf(date, sizeof date, "%04d%02d%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
  EXPECT_EQ(m[1].str(), date);

  // The clock column: each row's time is read anew when the row is written, so it equals the
  // memo line's time or the second after it. Everything else must match byte for byte.
  const std::string bytes = ReadFile(folder + "/" + name);
  const auto times = saveMode == 1 ? ExcelTimes(bytes) : CsvTimes(bytes);
  ASSERT_EQ(times.size(), memoTimes.size());
  for (std::size_t i = 0; i < times.size(); ++i) {
    const int row = SecondsOfDay(times[i]), memo = SecondsOfDay(memoTimes[i]);
    EXPECT_TRUE(row == memo || row == memo + 1) << times[i] << " vs " << memoTimes[i];
  }
  auto rows = model.Rows();
  ASSERT_TRUE(WithTimes(rows, times));
  const THeader header = HeaderTexts(language);
  EXPECT_EQ(bytes, saveMode == 1 ? ExcelBytes(header, rows) : CsvBytes(header, rows));
}

}  // namespace pzam::e2e
