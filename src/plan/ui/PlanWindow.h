// The plan window F_Plan: makes, opens, changes and saves inspection plans. The part's fields
// above, the characteristics in an editable table below; Save checks the plan and refuses, with
// the reason in the row's last column, what cannot be used. While a plan is measured the editor
// is locked and the window shows the current part: each characteristic with its limits and
// value (green inside, red outside, the one that waits next marked), the part's number and id,
// the id field, Repeat, and the counts of OK and NOK parts.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "plan/PartRouter.h"
#include "plan/Plan.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace pzam {

class TF_Plan : public QWidget {
 public:
  explicit TF_Plan(QWidget* parent = nullptr);

  void SetTextSource(std::function<std::string(int)> text) { FText = std::move(text); }
  // Gives every text of the window the current language.
  void Retranslate();

  // Shows a plan (a new one is empty with one characteristic).
  void ShowPlan(const plan::TPlan& plan, const std::string& path);
  // Opens a plan file; false with the reason shown when it is none.
  bool Open(const std::string& path);
  // The plan as the fields hold it; cells that cannot be read become problems.
  plan::TPlan Plan(std::vector<plan::TPlanProblem>& problems) const;
  // Checks and writes the plan to `path`; false (nothing written) with the reasons at their rows.
  bool SaveAs(const std::string& path);
  const std::string& Path() const { return FPath; }
  // The file changes (opened or saved under another name).
  std::function<void(const std::string& path)> OnPathChanged;

  // Whether Initialise measures parts with this plan (Cb_UsePlan).
  bool UsePlan() const;
  void SetUsePlan(bool use);
  // The plan to measure: the fields as saved in Path(). False with the reason in `error` when the
  // fields have changes not saved, or the plan has problems (shown at their rows).
  bool PlanToMeasure(plan::TPlan& plan, std::string& error);
  // A problem of the plan in the window's language: where (the field's heading) and why.
  std::string ProblemText(const plan::TPlanProblem& problem) const;

  // The run of the plan: the editor locked, the part shown; EndRun unlocks it.
  void StartRun(const plan::TPlan& plan);
  void ShowPart(const plan::TPartRouter& router);
  // A part is over: its number, id and result stay shown until the next one ends.
  void ShowPartEnded(int part, const std::string& id, bool complete, bool ok);
  void EndRun();
  bool RunShown() const;
  // The operator gave the part's id (Enter in Ed_PartId), pressed Repeat or Take value.
  std::function<void(const std::string& id)> OnPartId;
  std::function<void()> OnRepeat;
  std::function<void()> OnTake;

  QLineEdit* Ed_PlanName;
  QLineEdit* Ed_PartNumber;
  QLineEdit* Ed_PartName;
  QCheckBox* Cb_PartIds;
  QTableWidget* Tb_Characteristics;
  QPushButton* Bu_New;
  QPushButton* Bu_Open;
  QPushButton* Bu_Save;
  QPushButton* Bu_SaveAs;
  QPushButton* Bu_AddRow;
  QPushButton* Bu_RemoveRow;
  QLabel* La_State;
  QCheckBox* Cb_UsePlan;
  // The current part during a run.
  QGroupBox* Gb_Part;
  QLabel* La_PartId;
  QLineEdit* Ed_PartId;
  QPushButton* Bu_Repeat;
  QPushButton* Bu_Take;
  QLabel* La_Counts;
  QLabel* La_LastPart;
  QTableWidget* Tb_Part;

 private:
  std::string Text(int id) const { return FText ? FText(id) : "0"; }
  void SetRow(int row, const plan::TCharacteristic& c);
  void ShowProblems(const std::vector<plan::TPlanProblem>& problems);
  void FitColumns();

  void ShowRunTexts();

  std::function<std::string(int)> FText;
  std::string FPath;
  QLabel* FLabels[3];
  plan::TPlan FRunPlan;
  int FPart = 0;
  std::string FLastPart;  // the last part's line, without its result
  int FLastResult = 0;    // its result's text id, 0 none yet
};

}  // namespace pzam
