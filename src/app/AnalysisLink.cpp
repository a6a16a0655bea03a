#include "app/AnalysisLink.h"

#include <cstdio>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/Report.h"
#include "app/Main.h"
#include "config/TextIds.h"
#include "measurement/RecordFile.h"
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
  ShowZone();
  FWindow->Clear();
}

void TAnalysisLink::ValueAccepted(const measurement::TValueAccepted& value) {
  FHasValue = true;
  FLastValue = value.Value;
  ShowZone();
  FWindow->AddValue(value.Value, value.TimeText);
}

void TAnalysisLink::SetLimitsEditable(bool editable) {
  FWindow->SetLimitsEditable(editable);
}

// Green inside the tolerance, red outside; without a tolerance or a value the panel looks as it
// always has.
void TAnalysisLink::ShowZone() {
  QWidget* panel = FMain.Pa_Ist;
  const analysis::TTolerance& tolerance = FWindow->Tolerance();
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
  const std::string name = FRecordFile.empty()
                               ? measurement::RecordFileName(FStart, FBatch, measurement::kSaveText)
                               : FRecordFile;
  run.ReportPath = measurement::FullPath(FRunDirectory, analysis::ReportFileName(name));
  return run;
}

}  // namespace pzam
