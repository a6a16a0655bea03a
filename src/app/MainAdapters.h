// The main window's adapters of the run core: the view over its controls and the choices of the
// settings window. Private to the main window's sources.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "analysis/ui/Analysis.h"
#include "app/AnalysisLink.h"
#include "app/Main.h"
#include "app/PlantLink.h"
#include "config/ui/Einstellungen.h"
#include "measurement/RunInterfaces.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam {

class TF_Main::TRunView : public measurement::IRunView {
 public:
  explicit TRunView(TF_Main& main) : F(main) {}

  void ShowPanel(measurement::TPanel panel, const std::string& text) override {
    ui::TPanel* panels[] = {F.Pa_Anz, F.Pa_Ist, F.Pa_Mwt, F.Pa_Stw, F.Pa_Max, F.Pa_Min};
    panels[static_cast<int>(panel)]->setText(QString::fromStdString(text));
  }
  void ClearMemo() override { F.Memo1->clear(); }
  void AddMemoLine(const std::string& line) override {
    F.Memo1->appendPlainText(QString::fromStdString(line));
  }
  void ShowFilename(const std::string& text) override {
    F.Ed_Filename->setText(QString::fromStdString(text));
  }
  void EnableControl(measurement::TControl control, bool enabled) override {
    QWidget* controls[] = {F.Bu_MeasInit, F.Bu_MeasStart, F.Bu_MeasStop, F.Ed_CharNum, F.Bu_Config};
    controls[static_cast<int>(control)]->setEnabled(enabled);
    // The settings window's choices follow the settings button: fixed while a run lasts.
    if (control == measurement::TControl::Bu_Config && F.FConfig != nullptr) {
      F.FConfig->SetChoicesEnabled(enabled);
    }
    if (control == measurement::TControl::Bu_Config) F.FAnalysis->SetLimitsEditable(enabled);
  }
  void SetTakeValueCaption(const std::string& text) override {
    F.Bu_MeasStart->setText(QString::fromStdString(text));
  }

 private:
  TF_Main& F;
};

class TF_Main::TRunChoices : public measurement::IRunChoices {
 public:
  explicit TRunChoices(TF_Main& main) : F(main) {}

  int OperatingMode() const override { return F.FConfig->RG_REQMode->ItemIndex(); }
  int SaveMode() const override { return F.FConfig->RG_SaveData->ItemIndex(); }
  int CableType() const override { return F.FConfig->RG_CableType->ItemIndex(); }
  bool SignSwap() const override { return F.FConfig->SignSwap(); }
  std::string BatchNumber() const override { return F.Ed_CharNum->text().toStdString(); }
  std::string LanguageText(int id) const override { return F.LanguageText(id); }
  TDateTime Clock() const override { return F.FClock ? F.FClock() : Now(); }
  TClockReading ClockReading() const override {
    return F.FClock ? ClockAt(F.FClock()) : ReadClock();
  }
  TFormatSettings FormatSettings() const override { return F.FFormat; }
  std::string Station() const override { return F.FPlant->Station(); }
  analysis::TTolerance Tolerance() const override { return F.FAnalysis->Window().Tolerance(); }

 private:
  TF_Main& F;
};

}  // namespace pzam
