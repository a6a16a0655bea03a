// The version text of the main window's title ("V1.10 Build 3"), taken from the version string
// an executable carries: its version resource on Windows, an embedded marker elsewhere.
#pragma once

#include <string>

namespace pzam {

// The version string of the executable at path ("1.1.0.3"); empty when it carries none or cannot
// be read.
std::string ReadVersionString(const std::string& executablePath);

// Builds the version text from a version string: "V", characters 1 to 5, " Build ", character 7
// (positions past the end give nothing), then the 5th character of the result removed.
std::string VersionTextFromString(const std::string& versionString);

// The version text of the executable at path; empty when it carries no version string.
std::string ReadVersionText(const std::string& executablePath);

// The version string this program was built with.
const char* BuiltVersionString();

}  // namespace pzam
