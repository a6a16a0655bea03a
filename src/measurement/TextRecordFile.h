// The text record file: lines of eight fields separated by ";", each ended by LF CR. Every line is
// on the disk (fdatasync) before WriteRow returns.
#pragma once

#include <memory>
#include <string>

#include "measurement/FileHandle.h"
#include "measurement/RecordFile.h"

namespace pzam::measurement {

class TTextRecordFile : public IRecordFile {
 public:
  // Creates the file and writes the header line. Throws EInOutError.
  static std::unique_ptr<TTextRecordFile> Create(const std::string& path,
                                                 const TRecordRow& headers);
  void WriteRow(const TRecordRow& row) override;
  void Close() override { FFile.Close(); }

 private:
  explicit TTextRecordFile(int fd) : FFile(fd) {}
  // Writes one line at the end and syncs it; a failed write or sync leaves the lines before
  // complete and nothing after them.
  void AppendLine(const TRecordRow& row);

  TFileHandle FFile;
  long long FSize = 0;
};

}  // namespace pzam::measurement
