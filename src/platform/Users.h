// User names: who runs the program and where their home folder is.
#pragma once

#include <string>

namespace pzam::platform {

// The name of the user this process runs as (getpwuid; GetUserNameW); empty when unknown.
std::string UserName();

// The user's home folder as the system's user records have it (the password database; the
// profile folder on Windows); empty when unknown.
std::string HomeFolder();

}  // namespace pzam::platform
