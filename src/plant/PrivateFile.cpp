#include "plant/PrivateFile.h"

#include <fstream>
#include <iterator>

#ifdef _WIN32
#include <cstdio>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace pzam::plant {

#ifdef _WIN32

// Windows keeps rights in the folder's access list: the station's profile folder is the user's own.
bool CreatePrivateFile(const std::string& path, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (f == nullptr) {
    error = "cannot create '" + path + "'";
    return false;
  }
  std::fclose(f);
  return true;
}

bool RestrictToOwner(const std::string&, std::string&) {
  return true;
}

static bool SecretFileRightsOk(const std::string&, std::string&) {
  return true;
}

#else

bool CreatePrivateFile(const std::string& path, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    error = "cannot create '" + path + "': " + std::strerror(errno);
    return false;
  }
  ::close(fd);
  return true;
}

bool RestrictToOwner(const std::string& path, std::string& error) {
  if (::chmod(path.c_str(), 0600) != 0) {
    error = "cannot restrict '" + path + "' to its owner: " + std::strerror(errno);
    return false;
  }
  return true;
}

static bool SecretFileRightsOk(const std::string& path, std::string& error) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
    return false;
  }
  if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    error = "'" + path + "' may be read by others (make it mode 0600)";
    return false;
  }
  return true;
}

#endif

bool ReadSecretFile(const std::string& path, std::string& secret, std::string& error) {
  if (!SecretFileRightsOk(path, error)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read '" + path + "'";
    return false;
  }
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto end = text.find_first_of("\r\n");
  secret = text.substr(0, end);
  if (secret.empty()) {
    error = "'" + path + "' holds no password";
    return false;
  }
  return true;
}

}  // namespace pzam::plant
