// The text of a profile (INI) file: lookup and editing with the rules of the Windows profile
// functions. Sections and keys match without regard to ASCII letter case and blanks (spaces, tabs,
// vertical tabs) around them; only the first section of a name is searched and written, and the
// first matching key in it wins; a NUL byte ends a value; lines whose first non-blank character
// is ";" are comments. Edits change only their own line and keep every other byte of the file.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pzam::profile {

// The longest value a read returns: the profile functions fill a buffer of 2048 characters.
inline constexpr std::size_t kMaxValueLength = 2047;

// The raw value of key in section (blanks around it removed), or nothing when the section or the
// key is missing or the key's line has no "=".
std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key);

// The key lines of the first section named section, in file order: each key's name (trimmed)
// and raw value, as FindValue gives them. One pass over the file for a whole section.
std::vector<std::pair<std::string_view, std::string_view>> SectionKeys(std::string_view content,
                                                                       std::string_view section);

// A found value as the profile functions return it: without one pair of enclosing quotation
// marks (" or '), at most kMaxValueLength bytes, never ending inside a UTF-8 sequence.
std::string ReturnedValue(std::string_view rawValue);

// A default as the profile functions return it: without trailing blanks, at most kMaxValueLength.
std::string ReturnedDefault(std::string_view defaultValue);

// Section and key names that can be written: not empty after trimming, no line break, no "]" in
// a section, no "=" in a key and no key beginning with "[" or ";". Values are always accepted.
bool IsValidSection(std::string_view section);
bool IsValidKey(std::string_view key);

// The content with key set to value: its line rewritten when present, else added after the last
// key of the section, else the section added at the end of the file. Line breaks in the value
// become blanks; new lines use the file's own line ends (CR LF when its first line has them).
// Throws std::invalid_argument for a section or key that IsValid... rejects.
std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value);

// The content without the lines of key in section, or nothing when there is no such line.
std::optional<std::string> RemoveKey(std::string_view content, std::string_view section,
                                     std::string_view key);

}  // namespace pzam::profile
