// The Excel record file: one BOF record, then one LABEL record per cell, and an EOF record that is
// kept at the end after every row, so the worksheet is valid at every moment. Every row is on the
// disk (fdatasync) before WriteRow returns; a row whose data cannot be synced counts as not
// written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "measurement/FileHandle.h"
#include "measurement/RecordFile.h"

namespace pzam::measurement {

class TExcelRecordFile : public IRecordFile {
 public:
  // Creates the file and writes BOF, the header row (row 0, columns 1 to 8) and EOF.
  // Throws EFCreateError when the file cannot be created, EWriteError when it cannot be written.
  static std::unique_ptr<TExcelRecordFile> Create(const std::string& path,
                                                  const std::string& fullPath,
                                                  const TRecordRow& headers);
  void WriteRow(const TRecordRow& row) override;
  void Close() override { FFile.Close(); }

 private:
  explicit TExcelRecordFile(int fd) : FFile(fd) {}
  // Writes the cells of `row` at the EOF record's place, followed by a new EOF record; on failure
  // (errno set) the file is left as it was.
  bool AppendRow(std::int32_t rowNumber, const TRecordRow& row);

  TFileHandle FFile;
  std::int32_t FRow = 0;
  long long FEofAt = 0;  // offset of the EOF record
};

}  // namespace pzam::measurement
