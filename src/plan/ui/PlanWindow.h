// The plan window F_Plan: makes, opens, changes and saves inspection plans. The part's fields
// above, the characteristics in an editable table below; Save checks the plan and refuses, with
// the reason in the row's last column, what cannot be used.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "plan/Plan.h"

class QCheckBox;
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

 private:
  std::string Text(int id) const { return FText ? FText(id) : "0"; }
  void SetRow(int row, const plan::TCharacteristic& c);
  void ShowProblems(const std::vector<plan::TPlanProblem>& problems);

  std::function<std::string(int)> FText;
  std::string FPath;
  QLabel* FLabels[3];
};

}  // namespace pzam
