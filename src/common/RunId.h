// Run identities: UUID version 7 (time-ordered, 74 random bits), as lower-case text.
#pragma once

#include <chrono>
#include <string>
#include <string_view>

namespace pzam {

// A new UUID v7 for a run started at `now`.
std::string NewRunId(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// True for the 36-character 8-4-4-4-12 hexadecimal form (either letter case).
bool IsUuidText(std::string_view text);

}  // namespace pzam
