#include "ExpectedRun.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

namespace pzam::e2e {
namespace {

constexpr double kNoValue = 1e300;

// strtod over the whole text (blanks around allowed); kNoValue when it is not a number.
double ReadNumber(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  if (first == std::string::npos) return kNoValue;
  const std::string core = text.substr(first, last - first + 1);
  char* end = nullptr;
  const double v = std::strtod(core.c_str(), &end);
  return end == core.c_str() + core.size() ? v : kNoValue;
}

std::string Reformat(const std::string& text) {
  const double v = ReadNumber(text);
  if (v == kNoValue) throw std::runtime_error("model: not a number: " + text);
  return Fixed(v, DecimalsOf(text));
}

}  // namespace

int DecimalsOf(const std::string& text) {
  const auto dot = text.find('.');
  return static_cast<int>(dot == std::string::npos ? text.size() : text.size() - dot - 1);
}

std::string Fixed(double value, int decimals) {
  if (value == 0.0) value = 0.0;  // a swapped zero shows without its sign
  char buffer[512];
  std::snprintf(buffer, sizeof buffer, "%8.*f", decimals, value);
  return buffer;
}

std::string General(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15g", value);
  const std::string text = buffer;
  // The figures of a run stay within the fixed range; an exponent would be a model gap.
  if (text.find('e') != std::string::npos) throw std::runtime_error("model: exponent " + text);
  return text == "-0" ? "0" : text;
}

double TruncatedMean(double total, int n) {
  const long double scaled = static_cast<long double>(total) / n * 1000.0L;
  return static_cast<double>(std::trunc(scaled) / 1000.0L);
}

double TruncatedDeviation(const std::vector<double>& values, double mean) {
  double q = 0.0;
  for (double v : values) {
    const long double diff = static_cast<long double>(mean) - v;
    q = static_cast<double>(q + diff * diff);
  }
  q = q / static_cast<double>(values.size() - 1);
  return static_cast<double>(std::trunc(std::sqrt(static_cast<long double>(q)) * 1000.0L) /
                             1000.0L);
}

TExpectedRun::TExpectedRun(int mode, bool signSwap, std::string batch)
    : FMode(mode), FSign(mode == 3 && signSwap ? -1.0 : 1.0), FBatch(std::move(batch)) {}

void TExpectedRun::Sent(const std::string& text) {
  if (FMode == 0) {
    if (text.find('@') != std::string::npos) DecodeGauge(text);
  } else if (FMode == 2 || FMode == 3) {
    if (!text.empty() && text[0] != 'S') DecodeSigned(text);
  }
}

void TExpectedRun::DecodeGauge(const std::string& text) {
  std::string body = text.substr(text.find('@'));
  std::string code, message;
  while (body.find('@') != std::string::npos) {
    body = body.substr(body.find('@') + 1);
    code = body.substr(0, 3);
    const std::string field = body.size() > 3 ? body.substr(3, 8) : "";
    if (code == "ANZ") FCount = field;
    if (code == "IST") FValue = field;
    if (code == "MWT") FMean = field;
    if (code == "STW") FDev = field;
    if (code == "MSG") message = body.size() > 3 ? body.substr(3) : "";
  }
  FMax = FMin = "0";
  const std::string line = FCount + "   " + FValue + "   " + FMean + "   " + FDev;
  FMemo.push_back({line, false});
  FTrace.push_back(line);
  if (code == "MSG") {
    FMemo.push_back({"*** Meldung: " + message + " ***", false});
  } else {
    Process();
  }
}

void TExpectedRun::DecodeSigned(const std::string& text) {
  ++FCounter;
  auto sign = text.find('+');
  if (sign == std::string::npos) sign = text.find('-');
  // The logged text has lost its carriage return: the value runs to the end.
  FValue = sign == std::string::npos ? text : text.substr(sign);
  FCount = std::to_string(FCounter);
  FMean = FDev = "0";
  Process();
}

void TExpectedRun::Process() {
  const double count = ReadNumber(FCount);
  if (count == kNoValue || count != std::floor(count)) throw std::runtime_error("model: count");
  char countText[32];
  std::snprintf(countText, sizeof countText, "%3.3d", static_cast<int>(count));
  FCount = countText;

  const double read = ReadNumber(FValue);
  if (read == kNoValue) return;  // only the count panel changes
  const double v = read * FSign;
  FTotal += v;
  FValues.push_back(v);
  const int n = static_cast<int>(FValues.size());
  const double m = TruncatedMean(FTotal, n);
  FMean = General(m);
  if (n > 1) FDev = General(TruncatedDeviation(FValues, m));
  if (v > FMaximum) FMaximum = v;
  if (v < FMinimum) FMinimum = v;
  FMax = General(FMaximum);
  FMin = General(FMinimum);

  FValue = Fixed(v, DecimalsOf(FValue));
  FMean = Reformat(FMean);
  FDev = Reformat(FDev);
  FMax = Reformat(FMax);
  FMin = Reformat(FMin);

  const TRow row{FBatch, "", FCount, FValue, FMean, FDev, FMax, FMin};
  FRows.push_back(row);
  FMemo.push_back(
      {FCount + " " + FValue + " " + FMean + " " + FDev + " " + FMax + " " + FMin, true});
}

std::string TExpectedRun::TraceFile() const {
  std::string text = "test\r\n";
  for (const auto& line : FTrace) text += line + "\r\n";
  return text;
}

}  // namespace pzam::e2e
