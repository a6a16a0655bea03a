// Profile (INI) files with the semantics of the Windows profile functions. Every call goes to the
// file: nothing is cached, and each write replaces the file atomically. A file that begins with
// the UTF-16 LE byte-order mark is read as UTF-16 (its texts come back as UTF-8) and stays UTF-16
// LE with the mark when written; any other file is read and written byte for byte.
#pragma once

#include <string>

namespace pzam {

// The text of a profile file as the lookup functions take it: UTF-16 LE converted to UTF-8, any
// other file unchanged. False when the file does not exist or cannot be read.
bool ReadProfileText(const std::string& path, std::string& text);

// The value of key in section, without blanks around it and one pair of enclosing quotation
// marks, at most 2047 bytes; defaultValue (without trailing blanks) when the file, the section or
// the key is missing.
std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue);

// Sets key in section to value, changing only that line: a missing key is added at the end of its
// section, a missing section at the end of the file, a missing file is created. Throws
// pzam::EIniFileError(path) when the file cannot be written (read-only file or directory, or a
// file that exists but cannot be read), and std::invalid_argument for a malformed section or key.
void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value);

// Removes every line of key in section; does nothing (and writes nothing) when there is none.
// Same errors as WriteProfileString.
void DeleteProfileKey(const std::string& path, const std::string& section, const std::string& key);

}  // namespace pzam
