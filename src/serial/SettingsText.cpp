#include "serial/SettingsText.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <optional>
#include <type_traits>

namespace pzam::serial {
namespace {

constexpr const char* kMark = "MZT1";
constexpr size_t kCheckedLength = 92;  // characters covered by the check number
constexpr size_t kWorkArea = 128;      // the reader looks at no more than 127 characters

unsigned Code(char c) {
  return static_cast<unsigned char>(c);
}

// Decimal text of v filled with "0" to width (after the sign of a negative number, so that it
// reads back); longer texts keep their leftmost characters.
void Put(std::string& out, int64_t v, size_t width) {
  const std::string sign = v < 0 ? "-" : "";
  std::string digits = std::to_string(v < 0 ? -v : v);
  if (sign.size() + digits.size() < width)
    digits.insert(0, width - sign.size() - digits.size(), '0');
  out += (sign + digits).substr(0, width);
}

class TReader {
 public:
  explicit TReader(const std::string& text) {
    FWork.fill('\0');
    for (size_t i = 0; i < text.size() && i < kWorkArea - 1; ++i) FWork[i] = text[i];
  }

  char At(size_t pos) const { return FWork[pos - 1]; }

  // The field at 1-based position pos: its characters up to the first zero character,
  // converted as a whole to a decimal integer.
  std::optional<int32_t> Number(size_t pos, size_t width) const {
    std::string run;
    for (size_t i = pos; i < pos + width && At(i) != '\0'; ++i) run += At(i);
    const char* first = run.data();
    const char* last = first + run.size();
    // An optional sign, then decimal digits only.
    bool plus = false;
    if (first != last && *first == '+') {
      plus = true;
      ++first;
    }
    if (first == last || (*first == '-' && (plus || first + 1 == last))) return std::nullopt;
    int32_t value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
  }

  // A character field: the number formed by its leading digits (0 when none), low 8 bits.
  char Character(size_t pos) const {
    unsigned value = 0;
    for (size_t i = pos; i < pos + 3 && At(i) >= '0' && At(i) <= '9'; ++i)
      value = value * 10 + static_cast<unsigned>(At(i) - '0');
    return static_cast<char>(value & 0xFF);
  }

  unsigned Check() const {
    unsigned x = 0;
    for (size_t i = 0; i < kCheckedLength; ++i) x ^= Code(FWork[i]);
    return x;
  }

 private:
  std::array<char, kWorkArea> FWork;
};

}  // namespace

std::string SettingsToText(const TSerialSettings& s) {
  if (!s.Valid) return {};
  std::string t = kMark;
  Put(t, s.COMPort, 3);
  Put(t, s.Baudrate, 6);
  Put(t, static_cast<int>(s.DataBits), 1);
  Put(t, static_cast<int>(s.ParityBit), 1);
  Put(t, static_cast<int>(s.StopBits), 1);
  Put(t, s.BufSizeTrm, 8);
  Put(t, s.BufSizeRec, 8);
  for (bool b :
       {s.HandshakeRtsCts, s.HandshakeDtrDsr, s.HandshakeXOnXOff, s.RTSActive, s.DTRActive})
    Put(t, b ? 1 : 0, 1);
  Put(t, Code(s.XOnChar), 3);
  Put(t, Code(s.XOffChar), 3);
  Put(t, s.XOffLimit, 8);
  Put(t, s.XOnLimit, 8);
  Put(t, Code(s.ErrorChar), 3);
  Put(t, Code(s.EofChar), 3);
  Put(t, Code(s.EventChar), 3);
  for (bool b : {s.ContinueOnXOff, s.UseErrorChar, s.EliminateNullChar, s.AbortOnError})
    Put(t, b ? 1 : 0, 1);
  Put(t, s.RecTimeOut, 10);
  Put(t, s.TrmTimeOut, 10);
  unsigned check = 0;
  for (char c : t) check ^= Code(c);
  Put(t, check, 3);
  return t;
}

void TextToSettings(const std::string& text, TSerialSettings& s) {
  s.Valid = false;
  if (text.size() <= 4) return;
  const TReader r(text);
  if (std::string{r.At(1), r.At(2), r.At(3), r.At(4)} != kMark) return;
  const auto check = r.Number(93, 3);
  if (!check || *check < 0 || static_cast<unsigned>(*check) != r.Check()) return;

  // Reads the fields in text order; the first one that fails rejects the text.
  auto number = [&](size_t pos, size_t width, int32_t& field) {
    const auto v = r.Number(pos, width);
    if (v) field = *v;
    return v.has_value();
  };
  auto boolean = [&](size_t pos, bool& field) {
    const auto v = r.Number(pos, 1);
    if (v) field = *v > 0;
    return v.has_value();
  };
  auto ordinal = [&](size_t pos, int below, auto& field) {
    const auto v = r.Number(pos, 1);
    if (!v || *v >= below) return false;
    field = static_cast<std::remove_reference_t<decltype(field)>>(*v);
    return true;
  };

  if (!number(5, 3, s.COMPort)) return;
  int32_t baud = 0;
  if (!number(8, 6, baud) || baud < 50 || baud > 921600) return;
  s.Baudrate = baud;
  if (!ordinal(14, 5, s.DataBits) || !ordinal(15, 5, s.ParityBit) || !ordinal(16, 3, s.StopBits))
    return;
  if (!number(17, 8, s.BufSizeTrm) || !number(25, 8, s.BufSizeRec)) return;
  if (!boolean(33, s.HandshakeRtsCts) || !boolean(34, s.HandshakeDtrDsr) ||
      !boolean(35, s.HandshakeXOnXOff) || !boolean(36, s.RTSActive) || !boolean(37, s.DTRActive))
    return;
  s.XOnChar = r.Character(38);
  s.XOffChar = r.Character(41);
  if (!number(44, 8, s.XOffLimit) || !number(52, 8, s.XOnLimit)) return;
  s.ErrorChar = r.Character(60);
  s.EofChar = r.Character(63);
  s.EventChar = r.Character(66);
  if (!boolean(69, s.ContinueOnXOff) || !boolean(70, s.UseErrorChar) ||
      !boolean(71, s.EliminateNullChar) || !boolean(72, s.AbortOnError))
    return;
  if (!number(73, 10, s.RecTimeOut) || !number(83, 10, s.TrmTimeOut)) return;
  s.Valid = true;
}

std::vector<std::pair<std::string, std::string>> SettingsFields(const TSerialSettings& s) {
  auto n = [](auto v) { return std::to_string(static_cast<int64_t>(v)); };
  auto c = [](char v) { return std::to_string(Code(v)); };
  return {
      {"Valid", n(s.Valid)},
      {"COMPort", n(s.COMPort)},
      {"Baudrate", n(s.Baudrate)},
      {"DataBits", n(s.DataBits)},
      {"ParityBit", n(s.ParityBit)},
      {"StopBits", n(s.StopBits)},
      {"BufSizeTrm", n(s.BufSizeTrm)},
      {"BufSizeRec", n(s.BufSizeRec)},
      {"HandshakeRtsCts", n(s.HandshakeRtsCts)},
      {"HandshakeDtrDsr", n(s.HandshakeDtrDsr)},
      {"HandshakeXOnXOff", n(s.HandshakeXOnXOff)},
      {"RTSActive", n(s.RTSActive)},
      {"DTRActive", n(s.DTRActive)},
      {"XOnChar", c(s.XOnChar)},
      {"XOffChar", c(s.XOffChar)},
      {"XOffLimit", n(s.XOffLimit)},
      {"XOnLimit", n(s.XOnLimit)},
      {"ErrorChar", c(s.ErrorChar)},
      {"EofChar", c(s.EofChar)},
      {"EventChar", c(s.EventChar)},
      {"ContinueOnXOff", n(s.ContinueOnXOff)},
      {"UseErrorChar", n(s.UseErrorChar)},
      {"EliminateNullChar", n(s.EliminateNullChar)},
      {"AbortOnError", n(s.AbortOnError)},
      {"RecTimeOut", n(s.RecTimeOut)},
      {"TrmTimeOut", n(s.TrmTimeOut)},
  };
}

}  // namespace pzam::serial
