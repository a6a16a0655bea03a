// The analysis window F_Analysis: the tolerance limits, the charts of the run's values, the table
// of the figures and the inspection report. It follows the run value by value on the window
// thread; the figures and charts are redrawn once per turn of the event loop however many values
// came, and not at all while the window is hidden.
#pragma once

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Capability.h"
#include "analysis/ui/Report.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace pzam {

namespace analysis {
class TAnalysisCharts;
class TGaugeStudyPage;
}  // namespace analysis

// What the report needs of the run besides its values, supplied by the main window.
struct TAnalysisRun : analysis::TRunParticulars {
  std::string ReportPath;  // where Bu_Report writes
};

// A characteristic of a plan run as the window shows it.
struct TAnalysisCharacteristic {
  std::string Name;
  analysis::TTolerance Tolerance;
  std::string Unit;
};

// A part of a plan run for the report's part list.
struct TAnalysisPart {
  int Part = 0;
  std::string Id;         // empty: none
  std::string Time;       // clock time of its last value
  bool Complete = false;  // false: the run ended inside it (no judgement)
  bool Ok = false;
  std::vector<std::optional<std::string>> Values;  // by characteristic, as the gauge sent them
};

class TF_Analysis : public QWidget {
  Q_OBJECT

 public:
  explicit TF_Analysis(QWidget* parent = nullptr);
  ~TF_Analysis() override;

  // The language texts and the decimal separator of the program.
  void SetTextSource(std::function<std::string(int)> text) { FText = std::move(text); }
  void SetDecimalSeparator(char separator);
  // Gives every text of the window the current language.
  void Retranslate();

  // The texts shown in the three fields; when they are a valid tolerance they come into force,
  // otherwise the reason is shown beside the field and the limits in force stay.
  void SetToleranceTexts(const analysis::TToleranceTexts& texts);
  // The texts of the limits in force (as typed) and the limits themselves.
  const analysis::TToleranceTexts& ToleranceTexts() const { return FInForceTexts; }
  const analysis::TTolerance& Tolerance() const { return FTolerance; }
  // Read-only from Initialise to End.
  void SetLimitsEditable(bool editable);
  // Called whenever other limits come into force.
  std::function<void()> OnToleranceChanged;

  // The run: cleared by Initialise, one accepted signed value at a time with its clock time.
  // Clear also drops a plan run's characteristics and parts: the window is the one of the run
  // without a plan until SetCharacteristics names a plan's characteristics again.
  void Clear();
  void AddValue(double value, const std::string& time);
  // The values shown: those of the run, in a plan run those of the chosen characteristic.
  std::span<const double> Values() const;

  // A plan run: its characteristics in plan order (clears the values, shows the chooser, the
  // tolerance fields show the chosen characteristic's limits, read-only). An empty list: the run
  // without a plan, the window exactly as before (one value stream, tolerance fields as today).
  // The limits typed for the run without a plan stay in force for it meanwhile.
  void SetCharacteristics(std::vector<TAnalysisCharacteristic> characteristics);
  bool PlanRun() const { return !FCharacteristics.empty(); }
  // A value of characteristic c (0-based) with its clock time (a plan run).
  void AddValue(int characteristic, double value, const std::string& time);
  // A part of a plan run, for the report's part list.
  void AddPart(const TAnalysisPart& part);
  // The characteristic shown (0 without a plan); Choose shows characteristic c.
  int Chosen() const { return FChosen; }
  void Choose(int characteristic);
  // The chooser changed.
  std::function<void(int)> OnChosen;
  // The tolerance of characteristic c (without a plan: the tolerance in force).
  const analysis::TTolerance& ToleranceOf(int characteristic) const;

  // The figures as last shown.
  const analysis::TFigures& Figures() const { return FFigures; }
  // Does the pending update at once: figures, table and charts (the charts redrawn queued).
  void UpdateNow();
  analysis::TAnalysisCharts& Charts() const { return *FCharts; }

  // What the report needs of the run.
  std::function<TAnalysisRun()> RunInfo;
  // Writes the report of the run as RunInfo describes it and shows its path (or the reason).
  void Bu_ReportClick();

  QLabel* La_Nominal;
  QLineEdit* Ed_Nominal;
  QLabel* La_NominalReason;
  QLabel* La_Lower;
  QLineEdit* Ed_Lower;
  QLabel* La_LowerReason;
  QLabel* La_Upper;
  QLineEdit* Ed_Upper;
  QLabel* La_UpperReason;
  QPushButton* Bu_Report;
  QLabel* La_Report;
  QLineEdit* Ed_Report;
  QTableWidget* Tb_Figures;
  QLabel* La_Characteristic;
  QComboBox* Cb_Characteristic;
  // The type 1 gauge study's page over the same values, opened by Bu_Study.
  QPushButton* Bu_Study;
  analysis::TGaugeStudyPage& Study() const { return *FStudy; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FitToScreen();
  bool FPlaced = false;
  QWidget* FChooser = nullptr;  // La_Characteristic and Cb_Characteristic
  void CreateControls();
  std::string Text(int id) const { return FText ? FText(id) : "0"; }
  void ToleranceEdited();
  void ShowReasons();
  void ScheduleUpdate();
  void ShowFigures();
  void ShowChosenLimits();
  void ShowStudyRun();
  void FillChooser();
  void ApplyEditable();
  bool HasValues() const;
  void ClearRun();
  const analysis::TTolerance& ShownTolerance() const { return ToleranceOf(FChosen); }

  std::function<std::string(int)> FText;
  char FSeparator = ',';
  analysis::TToleranceTexts FInForceTexts;
  analysis::TTolerance FTolerance;
  std::vector<double> FValues;
  std::vector<std::string> FTimes;
  // A plan run: the characteristics, the values and times of each, the parts.
  std::vector<TAnalysisCharacteristic> FCharacteristics;
  std::vector<std::vector<double>> FPlanValues;
  std::vector<std::vector<std::string>> FPlanTimes;
  std::vector<TAnalysisPart> FParts;
  int FChosen = 0;
  bool FEditable = true;
  analysis::TFigures FFigures;
  bool FUpdatePending = false;
  std::unique_ptr<analysis::TAnalysisCharts> FCharts;
  analysis::TGaugeStudyPage* FStudy = nullptr;
  // The reason shown beside each field (Nominal, Lower, Upper), if any.
  std::array<std::optional<analysis::TToleranceProblem>, 3> FProblems;
  // What La_Report says about Ed_Report: 0 nothing yet, else its text id.
  int FReportState = 0;
};

}  // namespace pzam
