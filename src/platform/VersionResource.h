// The version string an executable carries: its version resource on Windows ("FileVersion" of
// the block 040704E4 that PZAM.rc writes), an embedded marker elsewhere.
#pragma once

#include <string>

namespace pzam::platform {

// The version string of the executable at path ("1.1.0.3"); empty when it carries none or cannot
// be read.
std::string ExecutableVersionString(const std::string& path);

// The version string this program was built with.
const char* BuiltVersionString();

}  // namespace pzam::platform
