// Text encodings of files shared with Windows programs. Language files are UTF-8, but older ones
// are in the Windows-1252 code page and are converted on reading; Excel worksheets without a code
// page record are read as Windows-1252, so their texts are converted on writing.
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

// Converts UTF-8 to Windows-1252. A character Windows-1252 lacks (C1 controls included) becomes
// "?"; bytes that are not valid UTF-8 are taken as 8-bit text already and kept.
std::string Utf8ToWindows1252(std::string_view utf8);

}  // namespace pzam
