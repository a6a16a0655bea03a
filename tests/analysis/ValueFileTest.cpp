#include "analysis/ValueFile.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/TempDir.h"

namespace pzam::analysis {
namespace {

using TValues = std::vector<double>;

const std::string kBof("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
const std::string kEof("\x0A\x00\x00\x00", 4);

std::string Le16(int v) {
  return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
}

// A LABEL record as the program writes it: row and column from 0, format 0, the text.
std::string Label(int row, int column, const std::string& text) {
  const int n = static_cast<int>(text.size());
  return Le16(0x0204) + Le16(8 + n) + Le16(row) + Le16(column) + Le16(0) + Le16(n) + text;
}

// One worksheet row of the record file, columns 1 to 8, with `value` in column 4.
std::string Row(int row, const std::string& value) {
  const std::string cells[8] = {"-----", "09:05:03", "001", value, value, "0,0", value, value};
  std::string out;
  for (int c = 1; c <= 8; ++c) out += Label(row, c, cells[c - 1]);
  return out;
}

const std::string kHeader = "Charge;Uhrzeit;Nr.;Messwert;Mittelwert;Standardabw.;Maximum;Minimum";

std::string CsvLine(const std::string& value) {
  return "A7;09:05:03;001;" + value + ";  12,345;     0,0;  12,345;  12,345\n\r";
}

struct TCase {
  const char* Name;
  std::string Bytes;
  std::string FileName;
  char Decimal;
  TValueFileKind Kind;
  char Used;
  TValues Values;
};

TEST(ParseValueFile, ReadsEachKind) {
  using K = TValueFileKind;
  std::string manyRows = kBof + Row(0, "Messwert");
  TValues many;
  for (int r = 1; r <= 300; ++r) {  // rows past 255 need both bytes of the row field
    manyRows += Row(r, "   " + std::to_string(r) + ",5");
    many.push_back(r + 0.5);
  }
  const TCase cases[] = {
      {"csv, comma",
       kHeader + "\n\r" + CsvLine("  12,345") + CsvLine("  -0,010"),
       "r.csv",
       0,
       K::Csv,
       ',',
       {12.345, -0.01}},
      {"csv, point",
       kHeader + "\n\r" + CsvLine("  12.345") + CsvLine("  12.340"),
       "r.csv",
       0,
       K::Csv,
       '.',
       {12.345, 12.34}},
      {"csv, separator given",
       kHeader + "\n\r" + CsvLine("12") + CsvLine("12,5"),
       "r.csv",
       ',',
       K::Csv,
       ',',
       {12, 12.5}},
      {"csv, header only", kHeader + "\n\r", "r.csv", 0, K::Csv, '.', {}},
      {"csv, empty", "", "r.csv", 0, K::Csv, '.', {}},
      {"csv by its semicolons", kHeader + "\n\r" + CsvLine("1,5"), "values", 0, K::Csv, ',', {1.5}},
      // A batch number holding ";" shifts every field after it: the value counts from the end.
      {"csv, batch with semicolons",
       kHeader + "\n\r" + "a;b;c;09:05:03;001;  7,25;  7,25;  0,0;  7,25;  7,25\n\r",
       "r.csv",
       0,
       K::Csv,
       ',',
       {7.25}},
      {"csv, Windows line ends",
       kHeader + "\r\n" + "A;t;001;3,5;3,5;0;3,5;3,5\r\n",
       "r.CSV",
       0,
       K::Csv,
       ',',
       {3.5}},
      {"worksheet",
       kBof + Row(0, "Messwert") + Row(1, "  12,345") + Row(2, "  12,350") + kEof,
       "r.xls",
       0,
       K::Excel,
       ',',
       {12.345, 12.35}},
      {"worksheet, 300 rows", manyRows + kEof, "r.xls", 0, K::Excel, ',', many},
      // A run still going has no EOF yet; the older layout puts a BOF before every LABEL.
      {"worksheet without EOF", kBof + Row(0, "M") + Row(1, "1.5"), "x", 0, K::Excel, '.', {1.5}},
      {"worksheet, BOF before every cell",
       kBof + Label(0, 4, "M") + kBof + Label(1, 4, "2,5") + kBof + Label(2, 4, "3") + kEof,
       "r.xls",
       0,
       K::Excel,
       ',',
       {2.5, 3}},
      {"worksheet, records after EOF ignored",
       kBof + Row(1, "4") + kEof + "garbage",
       "r.xls",
       0,
       K::Excel,
       '.',
       {4}},
      {"worksheet, other records skipped",
       kBof + Le16(0x0203) + Le16(3) + "abc" + Row(1, "4") + kEof,
       "r.xls",
       0,
       K::Excel,
       '.',
       {4}},
      {"text", "12.5\n-3\n\n 4e-1 \r\n\t7\t\n", "values.txt", 0, K::Text, '.', {12.5, -3, 0.4, 7}},
      {"text, comma", "1,5\n2\n", "values.txt", 0, K::Text, ',', {1.5, 2}},
      {"text with UTF-8 mark",
       "\xEF\xBB\xBF"
       "12,5\n",
       "v",
       0,
       K::Text,
       ',',
       {12.5}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TValueFile file;
    std::string error;
    ASSERT_TRUE(ParseValueFile(c.Bytes, c.FileName, c.Decimal, file, error)) << error;
    EXPECT_EQ(file.Kind, c.Kind);
    EXPECT_EQ(file.Decimal, c.Used);
    EXPECT_EQ(file.Values, c.Values);
  }
}

// What the report takes from a record file besides the values.
TEST(ParseValueFile, RecordFilesGiveTheBatchAndEachValuesTime) {
  struct TRunCase {
    const char* Name;
    std::string Bytes;
    std::string FileName;
    std::string Batch;
    std::vector<std::string> Times;
  };
  const TRunCase cases[] = {
      {"csv",
       kHeader + "\n\r" + CsvLine("1") + "A8;09:05:04;002;2;2;0;2;2\n\r",
       "r.csv",
       "A7",
       {"09:05:03", "09:05:04"}},
      {"csv, batch with semicolons",
       kHeader + "\n\r" + "a;b;c;09:05:03;001;7;7;0;7;7\n\r",
       "r.csv",
       "a;b;c",
       {"09:05:03"}},
      {"csv, empty batch",
       kHeader + "\n\r" + ";09:05:03;001;7;7;0;7;7\n\r",
       "r.csv",
       "",
       {"09:05:03"}},
      {"worksheet",
       kBof + Row(0, "M") + Row(1, "1") + Row(2, "2") + kEof,
       "r.xls",
       "-----",
       {"09:05:03", "09:05:03"}},
      // Only the value column: a time for no value, the row of one cell not taken for the next.
      {"worksheet, values only",
       kBof + Label(1, 2, "09:00:00") + Label(2, 4, "3") + kEof,
       "r.xls",
       "",
       {""}},
      {"text", "1\n2\n", "v.txt", "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TValueFile file;
    std::string error;
    ASSERT_TRUE(ParseValueFile(c.Bytes, c.FileName, 0, file, error)) << error;
    EXPECT_EQ(file.Batch, c.Batch);
    EXPECT_EQ(file.Times, c.Times);
  }
}

TEST(RunDateFromName, TheDateARecordFileNameBeginsWith) {
  const std::pair<const char*, const char*> cases[] = {
      {"20261209_142503_A7.csv", "2026-12-09"},
      {"/runs/line 2/20261209_90503_.xls", "2026-12-09"},
      {"20261309_142503_A7.csv", ""},  // month 13
      {"20261200_142503_A7.csv", ""},
      {"2026120_142503_A7.csv", ""},
      {"2026120x_142503.csv", ""},
      {"20261209.csv", ""},
      {"values.txt", ""},
      {"", ""},
  };
  for (const auto& [name, date] : cases) EXPECT_EQ(RunDateFromName(name), date) << name;
}

TEST(ParseValueFile, BrokenFilesGiveTheReason) {
  const std::string good = kBof + Row(0, "M") + Row(1, "1,5") + kEof;
  const struct {
    const char* Name;
    std::string Bytes;
    std::string FileName;
    char Decimal;
    std::string Error;
  } cases[] = {
      {"not a number", kHeader + "\n\r" + CsvLine("1,5") + CsvLine("x1"), "r.csv", 0,
       "line 3: 'x1' is not a number"},
      {"other separator given", kHeader + "\n\r" + CsvLine("  12,345"), "r.csv", '.',
       "line 2: '  12,345' is not a number"},
      {"mixed separators", "1.5\n2,5\n", "v.txt", 0, "line 2: '2,5' is not a number"},
      {"empty value field", kHeader + "\n\r" + "a;b;c;;e;f;g;h\n\r", "r.csv", 0,
       "line 2: '' is not a number"},
      {"no fourth column", kHeader + "\n\r" + "a;b;c\n\r", "r.csv", 0,
       "line 2 has no fourth column"},
      {"unprintable bytes shown as ?",
       "1\n\x01\xFF"
       "2\n",
       "v", 0, "line 2: '??2' is not a number"},
      {"xls without BOF", "1;2;3;4\n", "r.xls", 0, "not a worksheet (no BOF record at the start)"},
      {"record cut off", good.substr(0, good.size() - 2), "r.xls", 0,
       "record at byte " + std::to_string(good.size() - 4) + " is cut off"},
      {"record past the end", good.substr(0, good.size() - 6), "r.xls", 0,
       "record at byte " + std::to_string(good.size() - 4 - 15) + " runs past the end of the file"},
      {"LABEL text longer than the record",
       kBof + Le16(0x0204) + Le16(9) + Le16(1) + Le16(4) + Le16(0) + Le16(2) + "1", "r.xls", 0,
       "LABEL record at byte 12 has a wrong length"},
      {"LABEL too short", kBof + Le16(0x0204) + Le16(4) + "abcd", "r.xls", 0,
       "LABEL record at byte 12 has a wrong length"},
      {"worksheet value not a number", kBof + Row(7, "1,5") + Row(8, "n/a"), "r.xls", 0,
       "row 8: 'n/a' is not a number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TValueFile file;
    file.Values = {99};
    std::string error;
    EXPECT_FALSE(ParseValueFile(c.Bytes, c.FileName, c.Decimal, file, error));
    EXPECT_EQ(error, c.Error);
    EXPECT_EQ(file.Values, TValues{99});  // untouched
  }
}

TEST(ParseValueFile, EveryPrefixOfAWorksheetEndsCleanly) {
  // Cut at a record boundary the values before the cut are read; cut inside a record it is an
  // error, never a crash or a value read from a partial record.
  std::string bytes = kBof;
  std::vector<std::size_t> ends{bytes.size()}, valueEnds;
  for (int r = 0; r <= 3; ++r) {
    for (int c = 1; c <= 8; ++c) {
      bytes += Label(r, c, c == 4 ? std::to_string(r) : "x");
      ends.push_back(bytes.size());
      if (c == 4 && r > 0) valueEnds.push_back(bytes.size());
    }
  }
  for (std::size_t n = 1; n <= bytes.size(); ++n) {
    TValueFile file;
    std::string error;
    const bool atEnd = std::find(ends.begin(), ends.end(), n) != ends.end();
    ASSERT_EQ(ParseValueFile(std::string_view(bytes).substr(0, n), "r.xls", 0, file, error), atEnd)
        << n << ": " << error;
    TValues expected;
    for (std::size_t v = 0; v < valueEnds.size() && valueEnds[v] <= n; ++v)
      expected.push_back(static_cast<double>(v + 1));
    if (atEnd) {
      EXPECT_EQ(file.Values, expected) << n;
    } else {
      EXPECT_FALSE(error.empty()) << n;
    }
  }
}

TEST(ReadValueFile, FilesOnDisk) {
  pzam::test::TTempDir dir;
  std::ofstream(dir.File("r.csv"), std::ios::binary) << kHeader + "\n\r" + CsvLine("  12,345");
  TValueFile file;
  std::string error;
  ASSERT_TRUE(ReadValueFile(dir.File("r.csv"), 0, file, error)) << error;
  EXPECT_EQ(file.Values, TValues{12.345});
  EXPECT_FALSE(ReadValueFile(dir.File("missing.csv"), 0, file, error));
  EXPECT_EQ(error, "cannot read '" + dir.File("missing.csv") + "': No such file or directory");
  EXPECT_FALSE(ReadValueFile(dir.Dir().string(), 0, file, error));
  EXPECT_EQ(error, "cannot read '" + dir.Dir().string() + "': Is a directory");
}

}  // namespace
}  // namespace pzam::analysis
