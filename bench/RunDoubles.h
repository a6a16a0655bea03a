// A run core without windows for the benchmarks and fuzz targets: a view that shows nothing and
// fixed operator choices.
#pragma once

#include <optional>
#include <string>

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
