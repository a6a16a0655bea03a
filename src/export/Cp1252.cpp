// Windows-1252 is Latin-1 except for 0x80..0x9F, so 32 code points are all the table it needs.
// A table of our own rather than iconv: the Windows build's C library has no iconv, and the
// mapping is fixed.
#include "export/Cp1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace pzam::dfq {
namespace {

// The code points of 0x80..0x9F; 0 where the code page assigns none.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char FromCodePoint(char32_t c) {
  if (c < 0x20 || c == 0x7F) return '?';
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == c && c != 0) return static_cast<char>(0x80 + i);
  return '?';
}

// The code points of a valid UTF-8 text; nothing when it is not one.
std::optional<std::u32string> DecodeUtf8(std::string_view s) {
  std::u32string out;
  for (std::size_t i = 0; i < s.size();) {
    const auto b = static_cast<std::uint8_t>(s[i]);
    int more = 0;
    char32_t c = 0;
    if (b < 0x80) {
      c = b;
    } else if (b >= 0xC2 && b <= 0xDF) {
      more = 1, c = b & 0x1F;
    } else if (b >= 0xE0 && b <= 0xEF) {
      more = 2, c = b & 0x0F;
    } else if (b >= 0xF0 && b <= 0xF4) {
      more = 3, c = b & 0x07;
    } else {
      return std::nullopt;
    }
    if (i + static_cast<std::size_t>(more) >= s.size() && more > 0) return std::nullopt;
    for (int k = 1; k <= more; ++k) {
      const auto n = static_cast<std::uint8_t>(s[i + k]);
      if ((n & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (n & 0x3F);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are not UTF-8.
    if ((more == 2 && c < 0x800) || (more == 3 && (c < 0x10000 || c > 0x10FFFF)) ||
        (c >= 0xD800 && c <= 0xDFFF))
      return std::nullopt;
    out.push_back(c);
    i += 1 + more;
  }
  return out;
}

}  // namespace

std::string ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  if (const auto points = DecodeUtf8(text)) {
    for (char32_t c : *points) out.push_back(FromCodePoint(c));
    return out;
  }
  for (char ch : text) {
    const auto b = static_cast<std::uint8_t>(ch);
    const bool unassigned = b >= 0x80 && b < 0xA0 && kHigh[b - 0x80] == 0;
    out.push_back(b < 0x20 || b == 0x7F || unassigned ? '?' : ch);
  }
  return out;
}

}  // namespace pzam::dfq
