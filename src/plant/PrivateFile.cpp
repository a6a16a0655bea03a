#include "plant/PrivateFile.h"

#include <cerrno>
#include <fstream>
#include <iterator>

#include "platform/FileRights.h"
#include "platform/Folders.h"
#include "platform/SystemErrors.h"

namespace pzam::plant {

bool CreatePrivateFile(const std::string& path, std::string& error) {
  if (platform::CreateOwnerOnlyFile(path)) return true;
  error = "cannot create '" + path + "': " + platform::SystemErrorText(errno);
  return false;
}

bool RestrictToOwner(const std::string& path, std::string& error) {
  if (platform::RestrictToOwner(path)) return true;
  error = "cannot restrict '" + path + "' to its owner: " + platform::SystemErrorText(errno);
  return false;
}

bool ReadSecretFile(const std::string& path, std::string& secret, std::string& error) {
  bool others = true;
  if (!platform::OthersMayRead(path, others)) {
    error = "cannot read '" + path + "': " + platform::SystemErrorText(errno);
    return false;
  }
  if (others) {
    error = "'" + path +
            "' may be read by others (make it mode 0600; on Windows, readable by its owner alone)";
    return false;
  }
  std::ifstream in(platform::FsPath(path), std::ios::binary);
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
