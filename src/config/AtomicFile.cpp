#include "config/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "common/WriteAll.h"

namespace pzam {

bool ReadWholeFile(const std::string& path, std::string& content) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

namespace {

// The file a write lands in: the target of a link, else the path itself.
std::string TargetOf(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
  }
  return path;
}

int CreateTemporary(const std::string& target, std::string& tmpPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmpPath = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
    // Mode 0666 lets the umask decide a new file's permissions, as for any created file.
    const int fd = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  const std::string target = TargetOf(path);
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    if (!S_ISREG(st.st_mode)) return false;
    // A file without any write bit is read-only even for the administrator, as on Windows.
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) return false;
  }
  std::string tmp;
  const int fd = CreateTemporary(target, tmp);
  if (fd < 0) return false;
  bool ok = true;
  if (exists) {
    ok = ::fchmod(fd, st.st_mode & 07777) == 0;
    if (ok && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Only the administrator may give a file away; keeping the writer as owner is fine.
    }
  }
  // The new content is on the disk before its name replaces the old file's.
  ok = ok && WriteAll(fd, content) && SyncFile(fd);
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  // The rename itself reaches the disk with the folder; until then a power cut may bring back the
  // old file (whole, never a mix), so a failed folder sync is a failed write.
  return SyncFolderOf(target);
}

}  // namespace pzam
