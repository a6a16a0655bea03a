// Fuzzes the profile parser and editor: any file content, any names. A value that is written must
// read back as the profile functions return it, and no other key may change.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/TextEncoding.h"
#include "config/ProfileText.h"

using namespace pzam::profile;

namespace {

bool Blank(char c) {
  return c == ' ' || c == '\t' || c == '\v';
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && Blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && Blank(s.back())) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Layout: section \n key \n value \n content.
  std::string_view in(reinterpret_cast<const char*>(data), size);
  std::string_view parts[3];
  for (auto& p : parts) {
    const auto nl = in.find('\n');
    if (nl == std::string_view::npos) return 0;
    p = in.substr(0, nl);
    in.remove_prefix(nl + 1);
  }
  const auto [section, key, value] = parts;
  // Settings and language files are read as UTF-16 after its mark, else as 8-bit text.
  const std::string content = pzam::IsUtf16Le(in) ? pzam::Utf16LeToUtf8(in) : pzam::AsUtf8(in);
  // Either way the text is UTF-8, and a UTF-16 file written from it reads back the same.
  if (!pzam::IsValidUtf8(content)) std::abort();
  const std::string asUtf16 = std::string(pzam::kUtf16LeBom) + pzam::Utf8ToUtf16Le(content);
  if (pzam::Utf16LeToUtf8(asUtf16) != content) std::abort();

  if (const auto raw = FindValue(content, section, key)) {
    if (ReturnedValue(*raw).size() > kMaxValueLength) std::abort();
  }
  ReturnedDefault(value);
  RemoveKey(content, section, key);
  if (!IsValidSection(section) || !IsValidKey(key)) return 0;

  const auto other = FindValue(content, "Other", "Probe");
  const std::string updated = SetValue(content, section, key, value);
  const auto back = FindValue(updated, section, key);
  std::string written(value.substr(0, value.find('\0')));  // a NUL ends the value
  for (char& c : written)
    if (c == '\r' || c == '\n') c = ' ';
  if (!back || ReturnedValue(*back) != ReturnedValue(Trimmed(written))) std::abort();
  // A key of another section is untouched (unless it is the one written).
  const bool same = FindValue("[Other]\nProbe=1\n", section, key).has_value();
  if (!same && FindValue(updated, "Other", "Probe") != other) std::abort();
  const auto removed = RemoveKey(updated, section, key);
  if (!removed || FindValue(*removed, section, key)) std::abort();
  return 0;
}
