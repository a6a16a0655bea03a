#include "platform/FileRights.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pzam::platform {

bool CreateOwnerOnlyFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

bool RestrictToOwner(const std::string& path) {
  return ::chmod(path.c_str(), 0600) == 0;
}

bool CopyRights(const std::string& from, const std::string& to) {
  struct stat st {};
  return ::stat(from.c_str(), &st) == 0 && ::chmod(to.c_str(), st.st_mode & 07777) == 0;
}

bool OthersMayRead(const std::string& path, bool& others) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  others = (st.st_mode & (S_IRWXG | S_IRWXO)) != 0;
  return true;
}

}  // namespace pzam::platform
