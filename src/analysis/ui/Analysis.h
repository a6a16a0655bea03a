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
  void Clear();
  void AddValue(double value, const std::string& time);
  std::span<const double> Values() const { return FValues; }
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
  // The type 1 gauge study's page over the same values, opened by Bu_Study.
  QPushButton* Bu_Study;
  analysis::TGaugeStudyPage& Study() const { return *FStudy; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FitToScreen();
  bool FPlaced = false;
  void CreateControls();
  std::string Text(int id) const { return FText ? FText(id) : "0"; }
  void ToleranceEdited();
  void ShowReasons();
  void ScheduleUpdate();
  void ShowFigures();

  std::function<std::string(int)> FText;
  char FSeparator = ',';
  analysis::TToleranceTexts FInForceTexts;
  analysis::TTolerance FTolerance;
  std::vector<double> FValues;
  std::vector<std::string> FTimes;
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
