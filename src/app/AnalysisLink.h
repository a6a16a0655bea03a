// The main window's side of the analysis window: it creates F_Analysis, listens to the run for
// its start and every accepted value, colours Pa_Ist by the tolerance and tells the report about
// the run. Private to the main window's sources.
#pragma once

#include <QPalette>
#include <string>

#include "analysis/ui/Analysis.h"
#include "common/FormatSettings.h"
#include "measurement/RunEvents.h"

namespace pzam {

class TF_Analysis;
class TF_Main;

class TAnalysisLink : public measurement::IRunEvents {
 public:
  TAnalysisLink(TF_Main& main, std::string runDirectory);

  TF_Analysis& Window() const { return *FWindow; }
  // The run starts afresh (values, Pa_Ist's colour, the run's particulars).
  void RunStarted(const measurement::TRunStarted& run) override;
  // An accepted signed value at its clock time. In a plan run the values come with their part.
  void ValueAccepted(const measurement::TValueAccepted& value) override;
  // A plan run's part as processed: its values, each on its characteristic, and its line.
  void PartEnded(const measurement::TPartEnded& part) override;
  // The tolerance fields follow the settings button: fixed while a run lasts.
  void SetLimitsEditable(bool editable);

 private:
  void ShowZone();
  TAnalysisRun RunInfo() const;

  TF_Main& FMain;
  TF_Analysis* FWindow;
  std::string FRunDirectory;
  QPalette FIstPalette;
  bool FHasValue = false;
  double FLastValue = 0;
  int FLastCharacteristic = 0;  // of the last value, 0-based (0 without a plan)
  bool FPlanRun = false;
  int FCharacteristics = 0;
  std::string FPlanName, FPartNumber, FPartName;
  bool FRunKnown = false;
  TDateTime FStart;
  std::string FBatch;
  std::string FRecordFile;
  std::string FMode;
  std::string FPort;
};

}  // namespace pzam
