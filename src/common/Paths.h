// Where the program's own files live: the settings file and the language files lie beside the
// executable.
#pragma once

#include <string>

namespace pzam {

// Full path of the running executable ("/opt/pzam/PZAM", "C:\PZAM\PZAM.exe"), UTF-8.
std::string ExecutablePath();

// Directory part of a path, ending in a separator ("/opt/pzam/"; a backslash too on Windows); empty
// for a bare name.
std::string DirectoryOf(const std::string& path);

// Directory of the running executable, ending in a separator.
std::string ExecutableDir();

}  // namespace pzam
