// The analysis window's "Type 1 study" page, a window of its own: the study's inputs (x_m, T, K,
// L), its figures with the reason beside an empty one, the note below 25 values, the verdict and
// the chart. It follows the values of the analysis window; T follows USL - LSL of the tolerance
// in force until the operator types one of his own.
#pragma once

#include <QWidget>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/Capability.h"
#include "analysis/GaugeStudy.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace pzam::analysis {

class TGaugeStudyChart;

class TGaugeStudyPage : public QWidget {
  Q_OBJECT

 public:
  explicit TGaugeStudyPage(QWidget* parent = nullptr);
  ~TGaugeStudyPage() override;

  void SetTextSource(std::function<std::string(int)> text) { FText = std::move(text); }
  void SetDecimalSeparator(char separator);
  void Retranslate();

  // The values of the characteristic shown and the tolerance in force. Shown at once when the
  // page is visible, else when it is shown.
  void SetRun(std::span<const double> values, const TTolerance& tolerance);
  // What the values are of, shown in the window's title after its caption (a plan run's
  // characteristic); empty for the run without a plan.
  void SetSubject(const std::string& subject);

  // The inputs in use (the last usable ones typed) and the figures as last shown.
  const TStudyInputs& Inputs() const { return FInputs; }
  const TStudyFigures& Figures() const { return FFigures; }
  // Whether the study belongs in the report: the page has been opened, x_m is given, the inputs
  // typed are usable and there is at least one value.
  bool Ready() const;
  TGaugeStudyChart& Chart() const { return *FChart; }

  QLabel* La_StudyReference;
  QLineEdit* Ed_StudyReference;
  QLabel* La_StudyReferenceReason;
  QLabel* La_StudyTolerance;
  QLineEdit* Ed_StudyTolerance;
  QLabel* La_StudyToleranceReason;
  QLabel* La_StudyK;
  QLineEdit* Ed_StudyK;
  QLabel* La_StudyKReason;
  QLabel* La_StudyL;
  QComboBox* Cb_StudyL;
  QLabel* La_StudyVerdict;
  QLabel* La_StudyNote;
  QTableWidget* Tb_Study;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CreateControls();
  std::string Text(int id) const { return FText ? FText(id) : "0"; }
  void InputsEdited();
  void ShowReasons();
  void Show();

  std::function<std::string(int)> FText;
  char FSeparator = ',';
  std::string FSubject;
  std::vector<double> FValues;
  TTolerance FTolerance;
  TStudyInputs FInputs;
  TStudyFigures FFigures;
  // The text id beside each input (x_m, T, K), 0 for none.
  int FReasons[3] = {0, 0, 0};
  bool FToleranceTyped = false;
  bool FOpened = false;
  std::unique_ptr<TGaugeStudyChart> FChart;
};

}  // namespace pzam::analysis
