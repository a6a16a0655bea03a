// Start-up and close of the main window: the settings file is read once by the start-up step and
// written once when the window closes.
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/ToleranceSettings.h"
#include "app/AnalysisLink.h"
#include "app/Main.h"
#include "app/PlantDialog.h"
#include "app/PlantLink.h"
#include "common/Errors.h"
#include "config/AtomicFile.h"
#include "config/ExportSettings.h"
#include "config/PlantSettings.h"
#include "config/Profile.h"
#include "config/SettingsFile.h"
#include "config/TextIds.h"
#include "config/ui/Einstellungen.h"
#include "export/DfqOnEnd.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RunSerial.h"
#include "plan/ui/PlanWindow.h"
#include "plant/JournalPath.h"
#include "plant/PrivateFile.h"
#include "serial/Serial.h"
#include "serial/ui/SerDlgs.h"
#include "ui/MessageBoxes.h"
#include "ui/RadioGroup.h"

namespace pzam {

// The order matters: rebuilding and selecting the mode items runs the settings window's mode
// handler, which puts that mode's line parameters on Serial1.
void TF_Main::Ti_StartupTimer() {
  using namespace settings;
  Ti_Startup->stop();
  const std::string path = SettingsPath();
  FConfig->CbB_Sprachwahl->setEditText(
      QString::fromStdString(ReadProfileString(path, kLanguage, kLastLanguage, "0")));
  LoadLanguage();

  serial::TSerialSettings stored;
  FSerial1->TextToSettings(ReadProfileString(path, kSerial, kCom, "0"), stored);
  FSerial1->SetSettings(stored);
  FConfig->SerPortComboBox1->UpdateList();
  setWindowTitle(QString::fromStdString(LanguageText(textid::kTitle) + " " + FVersionText));

  FConfig->RG_REQMode->SetItemIndex(ReadProfileInteger(path, kSelect, kReqMode, 0));
  FConfig->RG_SaveData->SetItemIndex(ReadProfileInteger(path, kSelect, kFileMode, 0));
  FConfig->RG_CableType->SetItemIndex(ReadProfileInteger(path, kSelect, kCableType, 0));
  if (ReadProfileInteger(path, kSelect, kQuorvMode, 0) == 1)
    FConfig->Cb_QuorvMode->setChecked(true);
  if (ReadProfileInteger(path, kSelect, kQuorvMode, 0) == 0) {
    FConfig->Cb_QuorvMode->setChecked(false);
  }
  FAnalysis->Window().SetToleranceTexts(analysis::ReadToleranceTexts(path));
  ShowComPort();
  ApplyOperatingMode();
  FPlant->Apply(ReadPlantSettings(path));
  FDfq->SetEnabled(ReadExportSettings(path).Dfq);
  // The plan in use when the program was closed.
  if (const std::string plan = ReadProfileString(path, "Plan", "File", ""); !plan.empty())
    FPlanWindow->Open(plan);
  FPlanWindow->SetUsePlan(ReadProfileInteger(path, "Plan", "Use", 0) == 1);
}

// A run still in progress is ended first, so its record file is complete. A close that comes
// before the start-up step (a signal right after the start) runs that step first, so the stored
// settings are written back rather than the defaults. A settings file that cannot be written
// keeps the program running.
bool TF_Main::FormClose() {
  if (Ti_Startup->isActive()) Ti_StartupTimer();
  if (Running()) ui::Guard([this] { Bu_MeasStopClick(); });
  try {
    WriteSettingsFile();
  } catch (const std::exception& e) {
    ui::ShowErrorBox(e.what());
    return false;
  }
  return true;
}

// The user's configuration folder is created by the first close that writes into it.
void TF_Main::WriteSettingsFile() {
  using namespace settings;
  const std::string path = SettingsPath();
  if (!CreateSettingsFolder(path)) throw EIniFileError(path);
  serial::TSerialSettings current;
  FSerial1->GetSettings(current);
  WriteProfileString(path, kSerial, kCom, FSerial1->SettingsToText(current));
  WriteProfileString(path, kSelect, kReqMode, std::to_string(FConfig->RG_REQMode->ItemIndex()));
  WriteProfileString(path, kSelect, kFileMode, std::to_string(FConfig->RG_SaveData->ItemIndex()));
  WriteProfileString(path, kSelect, kCableType, std::to_string(FConfig->RG_CableType->ItemIndex()));
  WriteProfileString(path, kSelect, kQuorvMode, FConfig->SignSwap() ? "1" : "0");
  WriteProfileString(path, kLanguage, kLastLanguage,
                     FConfig->CbB_Sprachwahl->currentText().toStdString());
  analysis::WriteToleranceTexts(path, FAnalysis->Window().ToleranceTexts());
  // [Plan] only once a plan was opened or saved: other settings files keep their bytes.
  if (!FPlanWindow->Path().empty() || !ReadProfileString(path, "Plan", "File", "").empty()) {
    WriteProfileString(path, "Plan", "File", FPlanWindow->Path());
    WriteProfileString(path, "Plan", "Use", FPlanWindow->UsePlan() ? "1" : "0");
  }
  WritePlantSection();
}

// [Plant] comes after the other sections, and only into a file that has it or was given it in the
// plant data settings. A file with the section may hold a user and the password file's name: it is
// the owner's only, from its first byte on.
void TF_Main::WritePlantSection() {
  const TPlantSettings& plant = FPlant->Settings();
  if (!plant.Present) return;
  const std::string path = SettingsPath();
  if (!CreateSettingsFolder(path)) throw EIniFileError(path);
  std::string problem;
  const bool isPrivate = FileExists(path) ? plant::RestrictToOwner(path, problem)
                                          : plant::CreatePrivateFile(path, problem);
  if (!isPrivate) throw EIniFileError(path);
  WritePlantSettings(path, plant);
}

void TF_Main::EditPlantSettings() {
  if (Running()) return;
  TPlantDialog dialog(FPlant->Settings(), FPlant->Station(), plant::JournalPathFor(SettingsPath()),
                      FConfig != nullptr ? static_cast<QWidget*>(FConfig) : this);
  if (dialog.exec() != QDialog::Accepted) return;
  FPlant->Apply(dialog.Settings());
  ui::Guard([this] { WritePlantSection(); });
}

}  // namespace pzam
