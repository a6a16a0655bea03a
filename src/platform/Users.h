// User and machine names: who runs the program, where their home folder is, the machine's name.
#pragma once

#include <string>

namespace pzam::platform {

// The name of the user this process runs as (getpwuid; GetUserNameW); empty when unknown.
std::string UserName();

// The user's home folder as the system's user records have it (the password database; the
// profile folder on Windows); empty when unknown.
std::string HomeFolder();

// This machine's name on the network (gethostname; GetComputerNameExW, the DNS host name); empty
// when unknown.
std::string HostName();

}  // namespace pzam::platform
