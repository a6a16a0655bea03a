#include "common/RunId.h"

#include <array>
#include <cstdint>
#include <random>

namespace pzam {

namespace {

std::uint64_t RandomBits() {
  // Seeded once per thread from the system's entropy source.
  thread_local std::mt19937_64 engine([] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }());
  return engine();
}

}  // namespace

std::string NewRunId(std::chrono::system_clock::time_point now) {
  const auto ms = static_cast<std::uint64_t>(
      std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count());
  std::array<std::uint8_t, 16> b{};
  for (int i = 0; i < 6; ++i) b[i] = static_cast<std::uint8_t>(ms >> (8 * (5 - i)));
  const std::uint64_t r1 = RandomBits(), r2 = RandomBits();
  for (int i = 6; i < 16; ++i)
    b[i] = static_cast<std::uint8_t>((i < 11 ? r1 : r2) >> (8 * (i % 5)));
  b[6] = static_cast<std::uint8_t>(0x70 | (b[6] & 0x0F));  // version 7
  b[8] = static_cast<std::uint8_t>(0x80 | (b[8] & 0x3F));  // RFC 4122 variant
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kHex[b[i] >> 4];
    text += kHex[b[i] & 0x0F];
  }
  return text;
}

bool IsUuidText(std::string_view text) {
  if (text.size() != 36) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return true;
}

}  // namespace pzam
