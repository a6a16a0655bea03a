#include "measurement/FileHandle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "common/WriteAll.h"

namespace pzam::measurement {

bool TFileHandle::WriteAt(long long offset, const std::string& bytes) {
  if (FFd < 0) {
    errno = EBADF;
    return false;
  }
  const off_t target = offset < 0 ? ::lseek(FFd, 0, SEEK_END) : ::lseek(FFd, offset, SEEK_SET);
  return target >= 0 && WriteAll(FFd, bytes);
}

bool TFileHandle::Sync() {
  if (FFd < 0) {
    errno = EBADF;
    return false;
  }
  return SyncData(FFd);
}

bool TFileHandle::Truncate(long long size) {
  return FFd >= 0 && ::ftruncate(FFd, size) == 0;
}

long long TFileHandle::Size() const {
  struct stat st {};
  return FFd >= 0 && ::fstat(FFd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

void TFileHandle::Close() {
  if (FFd >= 0) ::close(FFd);
  FFd = -1;
}

}  // namespace pzam::measurement
