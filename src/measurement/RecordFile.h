// Record files of a measuring run: an Excel worksheet of BIFF records (save mode 1) or a
// semicolon-separated text file (save mode 2), one header row and one row per value.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "common/FormatSettings.h"

namespace pzam::measurement {

// Batch number, clock time, count, value, mean, deviation, maximum, minimum (or the headers).
using TRecordRow = std::array<std::string, 8>;

inline constexpr int kSaveNone = 0;
inline constexpr int kSaveExcel = 1;
inline constexpr int kSaveText = 2;

class IRecordFile {
 public:
  virtual ~IRecordFile() = default;
  // Appends one value row. On a failed write the rows before stay complete and the error is
  // raised (EWriteError for the Excel file, EInOutError for the text file).
  virtual void WriteRow(const TRecordRow& row) = 0;
  // Completes and closes the file; further rows are not written.
  virtual void Close() = 0;
};

// "YYYYMMDD_hmmss_<batch>.xls" or ".csv": the time part without leading zeros.
std::string RecordFileName(const TDateTime& t, const std::string& batch, int saveMode);

// Creates the record file `name` in `directory` (empty: the current directory), replacing any
// file of that name, and writes the header row. A name holding a path separator is refused.
// Errors: EFCreateError (Excel), EInOutError (text), EWriteError (Excel header not written).
std::unique_ptr<IRecordFile> CreateRecordFile(int saveMode, const std::string& directory,
                                              const std::string& name, const TRecordRow& headers);

// The path of `name` in `directory` as the error texts show it (absolute).
std::string FullPath(const std::string& directory, const std::string& name);

}  // namespace pzam::measurement
