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

// The byte-order mark that begins a UTF-16 LE file, as Windows editors save "Unicode" text.
inline constexpr std::string_view kUtf16LeBom = "\xFF\xFE";

// True when the bytes begin with the UTF-16 LE byte-order mark.
bool IsUtf16Le(std::string_view bytes);

// Converts UTF-16 LE bytes to UTF-8, a leading byte-order mark left out. A lone surrogate becomes
// U+FFFD; an odd last byte is dropped.
std::string Utf16LeToUtf8(std::string_view bytes);

// Converts UTF-8 to UTF-16 LE bytes (without a byte-order mark). Bytes that are not valid UTF-8
// are taken as Windows-1252, as AsUtf8 reads them.
std::string Utf8ToUtf16Le(std::string_view utf8);

}  // namespace pzam
