// What a measuring run of a subcommand shows and is told: memo lines go to stdout, the operator's
// choices come from the command line.
#pragma once

#include <optional>
#include <string>

#include "common/FormatSettings.h"
#include "common/ReasonTexts.h"
#include "config/Language.h"
#include "measurement/RunInterfaces.h"

namespace pzam::tool {

// The choices the settings window would hold, as options give them.
struct TRunOptions {
  int Mode = 0;
  int Save = 0;
  int Cable = 0;
  bool SignSwap = false;
  std::string Batch = "-----";
  std::string Language = "deutsch";
  std::optional<char> Decimal;  // default: the user's regional settings
  std::optional<TDateTime> At;  // default: the system clock
  std::string Station;          // the station's name in plant data
};

// Memo lines on stdout, each flushed when flushEachLine (someone may be watching); the rest of
// the window is not there.
class TStdoutView : public measurement::IRunView {
 public:
  explicit TStdoutView(bool flushEachLine) : FFlushEachLine(flushEachLine) {}
  void ShowPanel(measurement::TPanel, const std::string&) override {}
  void ClearMemo() override {}
  void AddMemoLine(const std::string& line) override;
  void ShowFilename(const std::string&) override {}
  void EnableControl(measurement::TControl, bool) override {}
  void SetTakeValueCaption(const std::string&) override {}

 private:
  bool FFlushEachLine;
};

// The options as the run's choices; language texts from the files beside the executable.
class TOptionChoices : public measurement::IRunChoices {
 public:
  explicit TOptionChoices(const TRunOptions& o);
  int OperatingMode() const override { return FOptions.Mode; }
  int SaveMode() const override { return FOptions.Save; }
  int CableType() const override { return FOptions.Cable; }
  bool SignSwap() const override { return FOptions.SignSwap; }
  std::string BatchNumber() const override { return FOptions.Batch; }
  std::string LanguageText(int id) const override { return FTexts.Text(id); }
  TDateTime Clock() const override { return FOptions.At ? *FOptions.At : Now(); }
  TFormatSettings FormatSettings() const override { return FFormat; }
  TClockReading ClockReading() const override {
    return FOptions.At ? ClockAt(*FOptions.At) : ReadClock();
  }
  std::string Station() const override { return FOptions.Station; }
  // The language's texts for the reasons the comm layer words itself.
  TReasonTexts ReasonTexts() const {
    return [texts = FTexts](int id) { return texts.Text(id); };
  }

 private:
  const TRunOptions& FOptions;
  TFormatSettings FFormat;
  TLanguageTexts FTexts;
};

}  // namespace pzam::tool
