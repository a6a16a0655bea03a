// A run core without windows for the benchmarks and fuzz targets: a view that shows nothing, a
// port that takes everything, fixed operator choices and a gauge's values.
#pragma once

#include <cmath>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "measurement/RunInterfaces.h"

namespace pzam::bench {

class TNullRunView : public measurement::IRunView {
 public:
  void ShowPanel(measurement::TPanel, const std::string&) override {}
  void ClearMemo() override {}
  void AddMemoLine(const std::string&) override {}
  void ShowFilename(const std::string&) override {}
  void EnableControl(measurement::TControl, bool) override {}
  void SetTakeValueCaption(const std::string&) override {}
};

// A port that opens at once and takes every text.
class TNullRunPort : public measurement::IRunPort {
 public:
  std::string Name() const override { return "COM3"; }
  bool Open(std::string&) override { return true; }
  void Close() override {}
  int WriteText(const std::string& text) override { return static_cast<int>(text.size()); }
};

// A gauge's values: normal around 12.345 with s = 0.005, on the 0.001 grid, the same every time.
inline std::vector<double> GaugeRunValues(int n) {
  std::mt19937 random(1);
  std::normal_distribution<double> normal(12.345, 0.005);
  std::vector<double> values;
  for (int i = 0; i < n; ++i) values.push_back(std::round(normal(random) * 1000) / 1000);
  return values;
}

// Sylvac mode, Duplex, Excel records, batch "-----"; language texts are their ids. Without a
// fixed clock the rows carry the current time.
class TFixedRunChoices : public measurement::IRunChoices {
 public:
  explicit TFixedRunChoices(std::optional<TDateTime> clock = std::nullopt,
                            TFormatSettings format = {})
      : FClock(clock), FFormat(std::move(format)) {}
  int OperatingMode() const override { return 2; }
  int SaveMode() const override { return 1; }
  int CableType() const override { return 0; }
  bool SignSwap() const override { return false; }
  std::string BatchNumber() const override { return "-----"; }
  std::string LanguageText(int id) const override { return std::to_string(id); }
  TDateTime Clock() const override { return FClock ? *FClock : Now(); }
  TFormatSettings FormatSettings() const override { return FFormat; }

 private:
  std::optional<TDateTime> FClock;
  TFormatSettings FFormat;
};

}  // namespace pzam::bench
