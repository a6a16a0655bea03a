// Text encodings of files carried over from Windows: language files are UTF-8, but older ones are
// in the Windows-1252 code page and are converted on reading.
#pragma once

#include <string>
#include <string_view>

namespace pzam {

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or code points above
// U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Converts Windows-1252 bytes to UTF-8. The five bytes the code page leaves unassigned map to the
// control characters of the same number, as Windows does.
std::string Windows1252ToUtf8(std::string_view text);

// The text unchanged when it is valid UTF-8, else read as Windows-1252 and converted.
std::string AsUtf8(std::string_view text);

}  // namespace pzam
