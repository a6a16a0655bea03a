#include "platform/VersionResource.h"

#include <fstream>
#include <string_view>
#include <vector>

namespace pzam::platform {

namespace {

// The version string embedded in every executable that reads version texts: a unique prefix, the
// version, a terminating zero. Kept by compiler and linker although nothing reads it in memory.
[[gnu::used, gnu::retain]] const char kEmbeddedVersion[] =
    "\x01PZAM-FileVersion=" PZAM_VERSION_STRING;
constexpr std::size_t kVersionLength = sizeof(PZAM_VERSION_STRING) - 1;
constexpr std::size_t kPrefixLength = sizeof(kEmbeddedVersion) - 1 - kVersionLength;
constexpr std::size_t kMaxVersionLength = 64;

bool IsVersionChar(char c) {
  return (c >= '0' && c <= '9') || c == '.';
}

// The version after one occurrence of the prefix at text[pos]: digits and full stops up to a
// terminating zero. Empty when the occurrence is not a version marker (for instance the prefix
// alone, as it may appear elsewhere in the file).
std::string_view VersionAt(std::string_view text, std::size_t pos) {
  const std::size_t begin = pos + kPrefixLength;
  std::size_t end = begin;
  while (end < text.size() && end - begin <= kMaxVersionLength && IsVersionChar(text[end])) ++end;
  if (end == begin || end >= text.size() || text[end] != '\0') return {};
  return text.substr(begin, end - begin);
}

}  // namespace

const char* BuiltVersionString() {
  return kEmbeddedVersion + kPrefixLength;
}

std::string ExecutableVersionString(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  const std::string_view prefix(kEmbeddedVersion, kPrefixLength);
  // Read in chunks; each chunk starts with the tail of the one before, so a marker that straddles
  // two chunks is found whole.
  constexpr std::size_t kChunk = 1 << 16;
  const std::size_t keep = kPrefixLength + kMaxVersionLength + 2;
  std::vector<char> buffer;
  while (in) {
    const std::size_t old = buffer.size();
    buffer.resize(old + kChunk);
    in.read(buffer.data() + old, kChunk);
    buffer.resize(old + static_cast<std::size_t>(in.gcount()));
    const std::string_view text(buffer.data(), buffer.size());
    for (auto pos = text.find(prefix); pos != std::string_view::npos;
         pos = text.find(prefix, pos + 1)) {
      const auto version = VersionAt(text, pos);
      if (!version.empty()) return std::string(version);
      if (pos + keep >= text.size() && in) break;  // may be cut off: look again with more bytes
    }
    if (buffer.size() > keep)
      buffer.erase(buffer.begin(), buffer.end() - static_cast<std::ptrdiff_t>(keep));
  }
  return {};
}

}  // namespace pzam::platform
