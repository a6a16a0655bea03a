#include "app/AnalysisLink.h"

#include <cstdio>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/Report.h"
#include "app/Main.h"
#include "config/TextIds.h"
#include "measurement/RecordFile.h"
#include "plan/ui/PlanTexts.h"
#include "ui/Controls.h"

namespace pzam {

namespace {
const QColor kInsideColour(90, 210, 90);
const QColor kOutsideColour(235, 70, 70);
}  // namespace

TAnalysisLink::TAnalysisLink(TF_Main& main, std::string runDirectory)
    : FMain(main),
      FWindow(new TF_Analysis(&main)),
      FRunDirectory(std::move(runDirectory)),
      FIstPalette(main.Pa_Ist->palette()) {
  FWindow->SetTextSource([&main](int id) { return main.LanguageText(id); });
  FWindow->OnToleranceChanged = [this] { ShowZone(); };
  FWindow->RunInfo = [this] { return RunInfo(); };
}

void TAnalysisLink::RunStarted(const measurement::TRunStarted& run) {
  FRunKnown = true;
  FStart = run.Start.Local;
  FBatch = run.Batch;
  FRecordFile = run.RecordFile;
  FMode = run.ModeText;
  FPort = run.Port;
  FHasValue = false;
  FLastCharacteristic = 0;
  FPlanRun = !run.Characteristics.empty();
  FCharacteristics = static_cast<int>(run.Characteristics.size());
  FPlanName = run.PlanName;
  FPartNumber = run.PartNumber;
  FPartName = run.PartName;
  ShowZone();
  FWindow->Clear();
  if (!FPlanRun) return;
  // A plan run measures on every port of its plan, each characteristic by its own mode.
  FPort.clear();
  FMode.clear();
  for (const measurement::TRunCharacteristic& c : run.Characteristics) {
    const std::string port = "COM" + std::to_string(c.Port);
    if (FPort.find(port + " ") == std::string::npos && !FPort.ends_with(port))
      FPort += (FPort.empty() ? "" : " ") + port;
    FMode += (FMode.empty() ? "" : ", ") + std::to_string(c.Mode);
  }
  FMode = FMain.LanguageText(textid::kPlanCaption) + " " + run.PlanName + " (" + FMode + ")";
  std::vector<TAnalysisCharacteristic> characteristics;
  for (const measurement::TRunCharacteristic& c : run.Characteristics)
    characteristics.push_back({c.Name, c.Tolerance, c.Unit});
  FWindow->SetCharacteristics(std::move(characteristics));
}

// A plan run's values count once their part is processed (a repeat may still take one back).
void TAnalysisLink::ValueAccepted(const measurement::TValueAccepted& value) {
  if (FPlanRun) return;
  FHasValue = true;
  FLastValue = value.Value;
  ShowZone();
  FWindow->AddValue(value.Value, value.TimeText);
}

// In plan order, as the panels showed them; Pa_Ist is judged by the last one's limits.
void TAnalysisLink::PartEnded(const measurement::TPartEnded& part) {
  TAnalysisPart row{part.Part, part.PartId, "", part.Complete, part.Ok, {}};
  for (std::size_t c = 0; c < part.Values.size(); ++c) {
    const auto& v = part.Values[c];
    row.Values.push_back(v ? std::optional<std::string>(v->Text) : std::nullopt);
    if (!v) continue;
    row.Time = v->TimeText;
    FWindow->AddValue(static_cast<int>(c), v->Value, v->TimeText);
    FHasValue = true;
    FLastValue = v->Value;
    FLastCharacteristic = static_cast<int>(c);
  }
  FWindow->AddPart(row);
  ShowZone();
}

void TAnalysisLink::SetLimitsEditable(bool editable) {
  FWindow->SetLimitsEditable(editable);
}

// Green inside the tolerance, red outside; without a tolerance or a value the panel looks as it
// always has.
void TAnalysisLink::ShowZone() {
  QWidget* panel = FMain.Pa_Ist;
  const analysis::TTolerance& tolerance =
      FPlanRun ? FWindow->ToleranceOf(FLastCharacteristic) : FWindow->Tolerance();
  if (!FHasValue || !tolerance.Any()) {
    panel->setAutoFillBackground(false);
    panel->setPalette(FIstPalette);
    return;
  }
  const bool inside = analysis::Judge(FLastValue, tolerance) == analysis::TZone::Inside;
  ui::SetBackground(panel, inside ? kInsideColour : kOutsideColour);
}

// In save mode 0 the report takes the name a record file would have had.
TAnalysisRun TAnalysisLink::RunInfo() const {
  TAnalysisRun run;
  run.ProgramText = FMain.LanguageText(textid::kTitle) + " " + FMain.VersionText();
  run.Batch = FBatch;
  char date[16];
  std::snprintf(date, sizeof date, "%04d-%02d-%02d", FStart.Year % 10000, FStart.Month % 100,
                FStart.Day % 100);
  run.Date = FRunKnown ? date : "-";
  run.Mode = FMode;
  run.Port = FPort;
  run.RecordFile = FRecordFile.empty() ? FMain.LanguageText(textid::kNoRecordFile) : FRecordFile;
  // One record file per characteristic: the first and the last of them.
  if (FPlanRun && !FRecordFile.empty() && FCharacteristics > 1) {
    const std::size_t dot = FRecordFile.rfind('.');
    run.RecordFile += " … _" + std::to_string(FCharacteristics) +
                      (dot == std::string::npos ? "" : FRecordFile.substr(dot));
  }
  run.PlanName = FPlanName;
  run.PartNumber = FPartNumber;
  run.PartName = FPartName;
  // A plan run's report names the run, not its first characteristic's record file.
  const std::string name = FRecordFile.empty() || FPlanRun
                               ? measurement::RecordFileName(FStart, FBatch, measurement::kSaveText)
                               : FRecordFile;
  run.ReportPath = measurement::FullPath(FRunDirectory, analysis::ReportFileName(name));
  return run;
}

}  // namespace pzam
