#include "config/Profile.h"

#include "common/Errors.h"
#include "common/TextEncoding.h"
#include "config/AtomicFile.h"
#include "config/ProfileText.h"

namespace pzam {

bool ReadProfileText(const std::string& path, std::string& text) {
  if (!ReadWholeFile(path, text)) return false;
  if (IsUtf16Le(text)) text = Utf16LeToUtf8(text);
  return true;
}

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::string content;
  if (ReadProfileText(path, content)) {
    if (const auto raw = profile::FindValue(content, section, key))
      return profile::ReturnedValue(*raw);
  }
  return profile::ReturnedDefault(defaultValue);
}

namespace {

// The current content as text, empty for a missing file, and whether the file is UTF-16. A file
// that exists but cannot be read must not be replaced by one that holds only the new value.
std::string ContentForWriting(const std::string& path, bool& utf16) {
  std::string content;
  if (!ReadWholeFile(path, content) && FileExists(path)) throw EIniFileError(path);
  utf16 = IsUtf16Le(content);
  return utf16 ? Utf16LeToUtf8(content) : content;
}

// Writes the text back in the file's own encoding.
void WriteContent(const std::string& path, const std::string& text, bool utf16) {
  const std::string bytes = utf16 ? std::string(kUtf16LeBom) + Utf8ToUtf16Le(text) : text;
  if (!WriteFileAtomically(path, bytes)) throw EIniFileError(path);
}

}  // namespace

void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  bool utf16 = false;
  const std::string content = ContentForWriting(path, utf16);
  WriteContent(path, profile::SetValue(content, section, key, value), utf16);
}

void DeleteProfileKey(const std::string& path, const std::string& section, const std::string& key) {
  bool utf16 = false;
  const std::string content = ContentForWriting(path, utf16);
  if (const auto updated = profile::RemoveKey(content, section, key))
    WriteContent(path, *updated, utf16);
}

}  // namespace pzam
