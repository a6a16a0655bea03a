#include "platform/Users.h"

#include <pwd.h>
#include <unistd.h>

namespace pzam::platform {

std::string UserName() {
  const passwd* user = ::getpwuid(::geteuid());
  return user != nullptr && user->pw_name != nullptr ? user->pw_name : "";
}

std::string HomeFolder() {
  const passwd* user = ::getpwuid(::getuid());
  return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

std::string HostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace pzam::platform
