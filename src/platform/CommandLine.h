// The program's arguments as UTF-8, like every other text inside the program.
#pragma once

#include <string>
#include <vector>

namespace pzam::platform {

// The arguments after the program's name. POSIX: argv as it is (the bytes the caller gave);
// Windows: the wide command line (GetCommandLineW, CommandLineToArgvW) as UTF-8, since argv holds
// the ANSI code page's approximation of names outside it.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace pzam::platform
