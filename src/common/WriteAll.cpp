#include "common/WriteAll.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/Paths.h"

namespace pzam {

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

namespace {

// A file system that cannot sync (EINVAL: a pipe, a special file; EROFS) has nothing to lose.
bool Synced(int (*sync)(int), int fd) {
  int result;
  while ((result = sync(fd)) != 0 && errno == EINTR) {
  }
  return result == 0 || errno == EINVAL || errno == EROFS;
}

}  // namespace

bool SyncData(int fd) {
  return Synced(::fdatasync, fd);
}

bool SyncFile(int fd) {
  return Synced(::fsync, fd);
}

bool SyncFolderOf(const std::string& path) {
  const std::string folder = DirectoryOf(path);
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = SyncFile(fd);
  const int err = errno;
  ::close(fd);
  errno = err;
  return ok;
}

}  // namespace pzam
