#include "measurement/TextRecordFile.h"

#include <cerrno>

#include "common/Errors.h"
#include "platform/Files.h"

namespace pzam::measurement {

std::unique_ptr<TTextRecordFile> TTextRecordFile::Create(const std::string& path,
                                                         const TRecordRow& headers) {
  const int fd = platform::OpenForWriting(path, platform::TOpenMode::Create);
  if (fd < 0) throw EInOutError(EInOutError::CodeFromErrno(errno));
  std::unique_ptr<TTextRecordFile> file(new TTextRecordFile(fd));
  file->AppendLine(headers);
  // The new file's name reaches the disk with its folder.
  if (!platform::SyncFolderOf(path)) throw EInOutError(EInOutError::CodeFromErrno(errno));
  return file;
}

void TTextRecordFile::AppendLine(const TRecordRow& row) {
  std::string line = row[0];
  for (std::size_t i = 1; i < row.size(); ++i) line += ";" + row[i];
  line += "\n\r";
  // The line is on the disk before the next value is taken; a line that cannot be synced counts
  // as not written and is cut off again.
  if (!FFile.WriteAt(FSize, line) || !FFile.Sync()) {
    const int err = errno;
    FFile.Truncate(FSize);
    FFile.Sync();
    throw EInOutError(EInOutError::CodeFromErrno(err));
  }
  FSize += static_cast<long long>(line.size());
}

void TTextRecordFile::WriteRow(const TRecordRow& row) {
  if (!FFile.IsOpen()) throw EInOutError(EInOutError::CodeFromErrno(EBADF));
  AppendLine(row);
}

}  // namespace pzam::measurement
