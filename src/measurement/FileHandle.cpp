#include "measurement/FileHandle.h"

#include <cerrno>

#include "platform/Files.h"

namespace pzam::measurement {

bool TFileHandle::WriteAt(long long offset, const std::string& bytes) {
  if (FFd < 0) {
    errno = EBADF;
    return false;
  }
  return platform::SeekTo(FFd, offset) && platform::WriteAll(FFd, bytes);
}

bool TFileHandle::Sync() {
  if (FFd < 0) {
    errno = EBADF;
    return false;
  }
  return platform::SyncData(FFd);
}

bool TFileHandle::Truncate(long long size) {
  return FFd >= 0 && platform::TruncateFile(FFd, size);
}

long long TFileHandle::Size() const {
  return FFd >= 0 ? platform::FileSize(FFd) : -1;
}

void TFileHandle::Close() {
  if (FFd >= 0) platform::CloseFile(FFd);
  FFd = -1;
}

}  // namespace pzam::measurement
