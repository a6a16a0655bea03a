#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

namespace pzam::platform {

int OpenForWriting(const std::string& path, TOpenMode mode) {
  int flags = O_WRONLY | O_CLOEXEC;
  switch (mode) {
    case TOpenMode::Create:
      flags |= O_CREAT | O_TRUNC;
      break;
    case TOpenMode::CreateReadWrite:
      flags = O_RDWR | O_CLOEXEC | O_CREAT | O_TRUNC;
      break;
    case TOpenMode::CreateNew:
      flags |= O_CREAT | O_EXCL;
      break;
    case TOpenMode::AppendExisting:
      flags |= O_APPEND;
      break;
  }
  // 0666 lets the umask decide a new file's permissions, as for any created file.
  return ::open(path.c_str(), flags, 0666);
}

bool CloseFile(int fd) {
  return ::close(fd) == 0;
}

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

bool SeekTo(int fd, long long offset) {
  return (offset < 0 ? ::lseek(fd, 0, SEEK_END) : ::lseek(fd, offset, SEEK_SET)) >= 0;
}

bool TruncateFile(int fd, long long size) {
  return ::ftruncate(fd, size) == 0;
}

long long FileSize(int fd) {
  struct stat st {};
  return ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
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
  const auto slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return true;
  const bool ok = SyncFile(fd);
  const int err = errno;
  ::close(fd);
  errno = err;
  return ok;
}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
  return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

TEntryKind EntryKind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return TEntryKind::None;
  if (S_ISREG(st.st_mode)) return TEntryKind::File;
  return S_ISDIR(st.st_mode) ? TEntryKind::Folder : TEntryKind::Other;
}

std::string WriteTarget(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

bool FileWritable(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && (st.st_mode & 0222) != 0 &&
         ::access(path.c_str(), W_OK) == 0;
}

bool CopyModes(const std::string& from, int fd) {
  struct stat st {};
  if (::stat(from.c_str(), &st) != 0 || ::fchmod(fd, st.st_mode & 07777) != 0) return false;
  if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
    // Only the administrator may give a file away; keeping the writer as owner is fine.
  }
  return true;
}

long ProcessId() {
  return static_cast<long>(::getpid());
}

}  // namespace pzam::platform
