// What a measuring run must show and record, computed in the test from the texts the simulated
// instrument logged, without calling the program's own code. Point case only (the test machine's
// locales have "." as decimal separator).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace pzam::e2e {

// One value row: batch, clock time (left empty here), count, value, mean, deviation, max, min.
using TRow = std::array<std::string, 8>;

struct TMemoLine {
  std::string Text;      // the whole line, or, for a value line, the part after the time
  bool HasTime = false;  // a value line: batch, " ", a time text, " ", then Text
};

class TExpectedRun {
 public:
  TExpectedRun(int mode, bool signSwap, std::string batch);

  // One text the instrument sent, without its frame end (a line of pzam-sim's --log).
  void Sent(const std::string& text);
  void SentAll(const std::vector<std::string>& texts) {
    for (const auto& t : texts) Sent(t);
  }

  const std::vector<TRow>& Rows() const { return FRows; }
  const std::vector<TMemoLine>& Memo() const { return FMemo; }
  // debug.txt as it must read after the run.
  std::string TraceFile() const;

 private:
  void DecodeGauge(const std::string& text);
  void DecodeSigned(const std::string& text);
  void Process();

  const int FMode;
  const double FSign;
  const std::string FBatch;
  std::vector<TRow> FRows;
  std::vector<TMemoLine> FMemo;
  std::vector<std::string> FTrace;

  // The shared texts and run statistics as the program keeps them.
  std::string FCount, FValue, FMean, FDev, FMax = "0", FMin = "0";
  int FCounter = 0;
  double FTotal = 0.0, FMaximum = -9999.0, FMinimum = 9999.0;
  std::vector<double> FValues;
};

// "%<width>.<decimals>f" with the decimals rule applied to `text`: the length after its first
// ".", or the whole length when it has none.
int DecimalsOf(const std::string& text);
std::string Fixed(double value, int decimals);
// The general float text: up to 15 significant digits, no trailing zeros.
std::string General(double value);
// The run's mean: Trunc(total / n * 1000) / 1000 in extended precision.
double TruncatedMean(double total, int n);
// The sample deviation around the truncated mean, truncated to thousandths the same way.
double TruncatedDeviation(const std::vector<double>& values, double mean);

}  // namespace pzam::e2e
