// Reads the values of a run back from a file: a record file of the program (the semicolon text
// file or the BIFF worksheet, values from the fourth column, header row skipped) or a text file
// with one number per line. Safe on any bytes: every length is checked and a broken file gives
// an error text, never a crash.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pzam::analysis {

enum class TValueFileKind { Csv, Excel, Text };

struct TValueFile {
  TValueFileKind Kind = TValueFileKind::Text;
  char Decimal = '.';  // the separator the value texts were read with
  std::vector<double> Values;
  // Of a record file: the batch number of its first value row, and each value's clock time
  // ("" where a worksheet row has none). A text file of numbers has neither.
  std::string Batch;
  std::vector<std::string> Times;
};

// The run's date "YYYY-MM-DD" from a record file's name ("20261209_142503_A7.csv", any folder
// before it), "" when the name does not begin with a valid date.
std::string RunDateFromName(const std::string& path);

// Files larger than this are refused (a full run's worksheet is under 2 MB).
inline constexpr std::size_t kMaxValueFileBytes = 64u << 20;

// Which kind the bytes are: a worksheet when they begin with a BIFF BOF record; otherwise a
// record text file when `name` ends in ".csv" or the first line holds a ";"; otherwise a text
// file of numbers. A ".xls" name without the BOF is read as a worksheet (and refused).
TValueFileKind ValueFileKind(std::string_view bytes, const std::string& name);

// Reads the values of `bytes`. `decimal` 0 detects the separator: "," when the first value text
// holds one, else ".". Blank lines are skipped. False with a one-line `error` when a value text is
// not a number or the file is broken; a file without values is no error (Values stays empty).
bool ParseValueFile(std::string_view bytes, const std::string& name, char decimal, TValueFile& out,
                    std::string& error);

// As ParseValueFile on the file at `path`; also false when it cannot be read.
bool ReadValueFile(const std::string& path, char decimal, TValueFile& out, std::string& error);

}  // namespace pzam::analysis
