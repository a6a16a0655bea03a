// The program's arguments as UTF-8, like every other text inside the program.
#pragma once

#include <string>
#include <vector>

namespace pzam::platform {

// The arguments after the program's name. POSIX: argv as it is (the bytes the caller gave);
// Windows: the wide command line (GetCommandLineW, CommandLineToArgvW) as UTF-8, since argv holds
// the ANSI code page's approximation of names outside it.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Makes the standard streams carry the program's bytes as they are, so a tool's output is the
// same on both systems. POSIX: nothing to do. Windows: binary mode (no CR put before each line
// feed, none taken out of the input), and a console shows the UTF-8 texts as UTF-8.
void UseStandardStreamsAsBytes();

}  // namespace pzam::platform
