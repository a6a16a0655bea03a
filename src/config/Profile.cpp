#include "config/Profile.h"

#include "common/Errors.h"
#include "config/AtomicFile.h"
#include "config/ProfileText.h"

namespace pzam {

std::string ReadProfileString(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
  std::string content;
  if (ReadWholeFile(path, content)) {
    if (const auto raw = profile::FindValue(content, section, key))
      return profile::ReturnedValue(*raw);
  }
  return profile::ReturnedDefault(defaultValue);
}

namespace {

// The current content, empty for a missing file. A file that exists but cannot be read must not
// be replaced by one that holds only the new value.
std::string ContentForWriting(const std::string& path) {
  std::string content;
  if (!ReadWholeFile(path, content) && FileExists(path)) throw EIniFileError(path);
  return content;
}

}  // namespace

void WriteProfileString(const std::string& path, const std::string& section, const std::string& key,
                        const std::string& value) {
  const std::string updated = profile::SetValue(ContentForWriting(path), section, key, value);
  if (!WriteFileAtomically(path, updated)) throw EIniFileError(path);
}

void DeleteProfileKey(const std::string& path, const std::string& section, const std::string& key) {
  const auto updated = profile::RemoveKey(ContentForWriting(path), section, key);
  if (updated && !WriteFileAtomically(path, *updated)) throw EIniFileError(path);
}

}  // namespace pzam
