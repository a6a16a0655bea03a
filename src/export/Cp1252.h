// Texts in Windows-1252, the code page of the transfer files' readers.
#pragma once

#include <string>
#include <string_view>

namespace pzam::dfq {

// The text in Windows-1252, one byte a character. A valid UTF-8 text is converted, a character
// outside the code page becoming "?"; any other text is taken as Windows-1252 already (a text
// carried over from a Windows installation), its five unassigned bytes becoming "?". Control
// characters become "?" too, so a text never breaks its line.
std::string ToCp1252(std::string_view text);

}  // namespace pzam::dfq
