#include "measurement/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include "common/Errors.h"
#include "platform/Numbers.h"

namespace pzam::measurement {

namespace {

// A positive finite value as significant decimal digits: value = 0.Digits * 10^PointPos.
struct TDecimal {
  std::string Digits;
  int PointPos = 0;
};

TDecimal DecimalDigits(long double positive, int precision) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*Le", precision - 1, positive);
  TDecimal d;
  const char* p = buf;
  for (; *p && *p != 'e'; ++p) {
    if (*p >= '0' && *p <= '9') d.Digits += *p;
  }
  d.PointPos = (*p == 'e' ? std::atoi(p + 1) : 0) + 1;
  return d;
}

std::string PadLeft(std::string s, int width) {
  if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), ' ');
  return s;
}

// Adds one to a string of decimal digits ("" counts as 0).
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatCount(int value) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%3.3d", value);
  return buf;
}

std::string FormatFixed(long double value, int width, int decimals, char separator) {
  if (!std::isfinite(value)) return PadLeft(FloatToText(value, separator), width);
  if (decimals < 0) decimals = 0;
  if (decimals > 18) decimals = 18;
  const bool negative = std::signbit(value);
  std::string scaled;  // the value times 10^decimals, rounded, as digits
  if (value != 0) {
    const TDecimal d = DecimalDigits(std::fabs(value), 18);
    if (d.PointPos > 18) return PadLeft(FloatToText(value, separator), width);
    const int keep = d.PointPos + decimals;
    if (keep >= 0) {
      scaled = d.Digits.substr(0, keep);
      if (keep > static_cast<int>(d.Digits.size())) scaled.append(keep - d.Digits.size(), '0');
      if (keep < static_cast<int>(d.Digits.size()) && d.Digits[keep] >= '5') Increment(scaled);
    }
  }
  if (static_cast<int>(scaled.size()) < decimals + 1)
    scaled.insert(0, decimals + 1 - scaled.size(), '0');
  const bool zero = scaled.find_first_not_of('0') == std::string::npos;
  std::string text = (negative && !zero) ? "-" : "";
  text += scaled.substr(0, scaled.size() - decimals);
  if (decimals > 0) {
    text += separator;
    text += scaled.substr(scaled.size() - decimals);
  }
  return PadLeft(text, width);
}

std::string FloatToText(long double value, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  TDecimal d = DecimalDigits(std::fabs(value), 15);
  const std::size_t last = d.Digits.find_last_not_of('0');
  d.Digits.erase(last + 1);
  const std::string& D = d.Digits;
  const int p = d.PointPos;
  std::string text = value < 0 ? "-" : "";
  if (p > 15 || p < -3) {
    text += D[0];
    if (D.size() > 1) text += separator + D.substr(1);
    text += 'E';
    if (p - 1 < 0) text += '-';
    text += std::to_string(std::abs(p - 1));
  } else if (p <= 0) {
    text += "0";
    text += separator;
    text += std::string(-p, '0') + D;
  } else if (static_cast<int>(D.size()) <= p) {
    text += D + std::string(p - D.size(), '0');
  } else {
    text += D.substr(0, p) + separator + D.substr(p);
  }
  return text;
}

bool TryStrToInt(const std::string& text, int& out) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  long long v = 0;
  for (; i < text.size(); ++i) {
    if (!IsDigit(text[i])) return false;
    v = v * 10 + (text[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL) return false;
  out = static_cast<int>(v);
  return true;
}

int StrToInt(const std::string& text) {
  int v = 0;
  if (!TryStrToInt(text, v)) throw EConvertError("'" + text + "' ist kein gültiger Integerwert");
  return v;
}

bool TryStrToFloat(const std::string& text, char separator, long double& out) {
  std::size_t b = 0, e = text.size();
  while (b < e && text[b] == ' ') ++b;
  while (e > b && text[e - 1] == ' ') --e;
  std::string c;  // the number rewritten for strtold in the C locale
  c.reserve(e - b);
  std::size_t i = b;
  if (i < e && (text[i] == '+' || text[i] == '-')) {
    if (text[i] == '-') c += '-';
    ++i;
  }
  int digits = 0;
  for (; i < e && IsDigit(text[i]); ++i, ++digits) c += text[i];
  if (i < e && text[i] == separator) {
    c += '.';
    for (++i; i < e && IsDigit(text[i]); ++i, ++digits) c += text[i];
  }
  if (digits == 0) return false;
  if (i < e && (text[i] == 'e' || text[i] == 'E')) {
    c += 'e';
    ++i;
    if (i < e && (text[i] == '+' || text[i] == '-')) c += text[i++];
    int expDigits = 0;
    for (; i < e && IsDigit(text[i]); ++i, ++expDigits) c += text[i];
    if (expDigits == 0) return false;
  }
  if (i != e) return false;
  // Read in the C form whatever locale the process has chosen.
  long double v = 0;
  const std::errc ec = platform::ReadLongDouble(c.data(), c.data() + c.size(), v);
  if (ec == std::errc::invalid_argument) return false;
  if (ec == std::errc::result_out_of_range) {
    // Underflow reads as zero; overflow is refused below.
    v = 0;
    if (c.find("e-") == std::string::npos) return false;
  }
  if (!std::isfinite(v) || std::fabs(v) > 1.7976931348623157e308L) return false;
  out = v;
  return true;
}

long double StrToFloat(const std::string& text, char separator) {
  long double v = 0;
  if (!TryStrToFloat(text, separator, v))
    throw EConvertError("'" + text + "' ist kein gültiger Gleitkommawert");
  return v;
}

int DecimalsOf(const std::string& text, char mark) {
  const std::size_t pos = text.find(mark);
  if (pos == std::string::npos) return static_cast<int>(text.size());
  return static_cast<int>(text.size() - (pos + 1));
}

}  // namespace pzam::measurement
