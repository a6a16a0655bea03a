#include "analysis/ui/FigureRows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/ui/AnalysisTexts.h"

namespace pzam::analysis {

int ValueDecimals(std::span<const double> values) {
  const double resolution = ValueResolution(values);
  if (!(resolution > 0)) return 3;
  const int decimals = static_cast<int>(std::lround(-std::log10(resolution)));
  return decimals < 0 ? 0 : (decimals > 9 ? 9 : decimals);
}

std::string NumberText(std::optional<double> x, int decimals, char separator) {
  if (!x || !std::isfinite(*x)) return "-";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.*f", decimals, *x);
  std::string text = buffer;
  // "-0,000" for a value that rounds to zero reads as a fault; show it unsigned.
  if (text.find_first_not_of("-0.") == std::string::npos) text.erase(0, text[0] == '-' ? 1 : 0);
  for (char& c : text) {
    if (c == '.') c = separator;
  }
  return text;
}

std::string LimitText(std::optional<double> x, int valueDecimals, char separator) {
  if (!x) return "-";
  int decimals = valueDecimals;
  while (decimals < 9) {
    const double scale = std::pow(10.0, decimals);
    if (std::abs(std::round(*x * scale) / scale - *x) <= 1e-9 * std::max(1.0, std::abs(*x))) break;
    ++decimals;
  }
  return NumberText(x, decimals, separator);
}

namespace {

std::string Share(int count, int n, char separator) {
  if (n <= 0) return "-";
  return NumberText(100.0 * count / n, 1, separator) + " %";
}

// A count against the tolerance and its share: "-" for both without a tolerance (no value lies
// inside or outside a tolerance that is not there).
TFigureRow Counted(int count, int n, bool tolerance, char separator) {
  if (!tolerance) return {0, "-", "-"};
  return {0, std::to_string(count), Share(count, n, separator)};
}

}  // namespace

std::vector<TFigureRow> FigureRows(const TFigures& f, const TTolerance& tolerance,
                                   int valueDecimals, char separator) {
  const int d = valueDecimals + 2;
  const auto number = [&](std::optional<double> x, int decimals) {
    return NumberText(x, decimals, separator);
  };
  std::vector<TFigureRow> rows = {
      {0, std::to_string(f.N), ""},
      {0, number(f.Mean, d), ""},
      {0, number(f.S, d), ""},
      {0, number(f.MrBar, d), ""},
      {0, number(f.SigmaWithin, d), ""},
      {0, number(f.Ucl, d), ""},
      {0, number(f.Lcl, d), ""},
      {0, number(f.MrUcl, d), ""},
      {0, LimitText(tolerance.Lower, valueDecimals, separator), ""},
      {0, LimitText(tolerance.Upper, valueDecimals, separator), ""},
      {0, number(f.Cp, 2), ""},
      {0, number(f.Cpk, 2), ""},
      {0, number(f.Pp, 2), ""},
      {0, number(f.Ppk, 2), ""},
      Counted(f.BelowLsl, f.N, tolerance.Any(), separator),
      Counted(f.InTolerance, f.N, tolerance.Any(), separator),
      Counted(f.AboveUsl, f.N, tolerance.Any(), separator),
  };
  for (const std::vector<int>& flagged : f.Rules) {
    const int count = static_cast<int>(flagged.size());
    rows.push_back({0, std::to_string(count), Share(count, f.N, separator)});
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    rows[i].TextId = textid::kFigureRow0 + static_cast<int>(i);
  }
  return rows;
}

}  // namespace pzam::analysis
