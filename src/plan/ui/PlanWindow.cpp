#include "plan/ui/PlanWindow.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>

#include "common/Errors.h"
#include "measurement/NumberText.h"
#include "plan/ui/PlanTexts.h"

namespace pzam {

namespace {

enum TColumn {
  cName,
  cNominal,
  cLower,
  cUpper,
  cUnit,
  cDecimals,
  cPort,
  cMode,
  cCable,
  cSwap,
  cProblem,
  kColumns
};
const char* const kFields[kColumns] = {"Name", "Nominal", "Lower", "Upper",    "Unit", "Decimals",
                                       "Port", "Mode",    "Cable", "SignSwap", ""};
const QColor kProblemColour(255, 205, 205);

// A limit with the characteristic's decimals (more when it has more), "." as the separator.
std::string LimitText(const std::optional<double>& x, int decimals) {
  if (!x) return "";
  char text[64];
  for (int d = std::clamp(decimals, 0, 6); d <= 15; ++d) {
    std::snprintf(text, sizeof text, "%.*f", d, *x);
    for (char& c : text)
      if (c == ',') c = '.';  // whatever the C library's locale says
    long double back = 0;
    if (measurement::TryStrToFloat(text, '.', back) && static_cast<double>(back) == *x) break;
  }
  return text;
}

// A number as typed: "." or "," as the decimal separator; empty is none.
bool ReadLimit(std::string text, std::optional<double>& out) {
  for (char& c : text)
    if (c == ',') c = '.';
  if (text.find_first_not_of(' ') == std::string::npos) {
    out.reset();
    return true;
  }
  long double x = 0;
  if (!measurement::TryStrToFloat(text, '.', x)) return false;
  out = static_cast<double>(x);
  return true;
}

}  // namespace

TF_Plan::TF_Plan(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("F_Plan");
  resize(980, 420);
  auto* grid = new QGridLayout(this);
  Ed_PlanName = new QLineEdit(this);
  Ed_PartNumber = new QLineEdit(this);
  Ed_PartName = new QLineEdit(this);
  Cb_PartIds = new QCheckBox(this);
  QLineEdit* fields[] = {Ed_PlanName, Ed_PartNumber, Ed_PartName};
  const char* names[] = {"Ed_PlanName", "Ed_PartNumber", "Ed_PartName"};
  for (int i = 0; i < 3; ++i) {
    FLabels[i] = new QLabel(this);
    fields[i]->setObjectName(names[i]);
    grid->addWidget(FLabels[i], i, 0);
    grid->addWidget(fields[i], i, 1);
  }
  Cb_PartIds->setObjectName("Cb_PartIds");
  grid->addWidget(Cb_PartIds, 2, 2);
  Tb_Characteristics = new QTableWidget(0, kColumns, this);
  Tb_Characteristics->setObjectName("Tb_Characteristics");
  Tb_Characteristics->horizontalHeader()->setStretchLastSection(true);
  grid->addWidget(Tb_Characteristics, 3, 0, 1, 4);
  auto* buttons = new QHBoxLayout;
  const auto button = [&](const char* name) {
    auto* b = new QPushButton(this);
    b->setObjectName(name);
    buttons->addWidget(b);
    return b;
  };
  Bu_New = button("Bu_New");
  Bu_Open = button("Bu_Open");
  Bu_Save = button("Bu_Save");
  Bu_SaveAs = button("Bu_SaveAs");
  buttons->addStretch(1);
  Bu_AddRow = button("Bu_AddRow");
  Bu_RemoveRow = button("Bu_RemoveRow");
  grid->addLayout(buttons, 4, 0, 1, 4);
  La_State = new QLabel(this);
  La_State->setObjectName("La_State");
  La_State->setWordWrap(true);
  grid->addWidget(La_State, 5, 0, 1, 4);
  grid->setColumnStretch(3, 1);

  connect(Bu_New, &QPushButton::clicked, this, [this] { ShowPlan({}, ""); });
  connect(Bu_Open, &QPushButton::clicked, this, [this] {
    const QString f =
        QFileDialog::getOpenFileName(this, QString(), QString::fromStdString(FPath), "*.ini");
    if (!f.isEmpty()) Open(f.toStdString());
  });
  const auto saveAs = [this] {
    const QString f =
        QFileDialog::getSaveFileName(this, QString(), QString::fromStdString(FPath), "*.ini");
    if (!f.isEmpty()) SaveAs(f.toStdString());
  };
  connect(Bu_SaveAs, &QPushButton::clicked, this, saveAs);
  connect(Bu_Save, &QPushButton::clicked, this, [this, saveAs] {
    if (FPath.empty()) return saveAs();
    SaveAs(FPath);
  });
  connect(Bu_AddRow, &QPushButton::clicked, this, [this] {
    const int row = Tb_Characteristics->rowCount();
    Tb_Characteristics->insertRow(row);
    plan::TCharacteristic c;
    if (row > 0) {  // the gauge of the row before: the next characteristic is often on it too
      std::vector<plan::TPlanProblem> ignored;
      const plan::TPlan p = Plan(ignored);
      c.Port = p.Characteristics.back().Port;
      c.Mode = p.Characteristics.back().Mode;
      c.Cable = p.Characteristics.back().Cable;
    }
    SetRow(row, c);
  });
  connect(Bu_RemoveRow, &QPushButton::clicked, this, [this] {
    const int row = Tb_Characteristics->currentRow();
    if (row >= 0) Tb_Characteristics->removeRow(row);
  });
  ShowPlan({}, "");
}

void TF_Plan::Retranslate() {
  const auto q = [this](int id) { return QString::fromStdString(Text(id)); };
  setWindowTitle(q(textid::kPlanCaption));
  for (int i = 0; i < 3; ++i) FLabels[i]->setText(q(textid::kPlanNameLabel + i));
  Cb_PartIds->setText(q(textid::kPartIdsBox));
  QStringList headings;
  for (int c = 0; c < kColumns; ++c) headings << q(textid::kPlanColumn0 + c);
  Tb_Characteristics->setHorizontalHeaderLabels(headings);
  Bu_New->setText(q(textid::kPlanNew));
  Bu_Open->setText(q(textid::kPlanOpen));
  Bu_Save->setText(q(textid::kPlanSave));
  Bu_SaveAs->setText(q(textid::kPlanSaveAs));
  Bu_AddRow->setText(q(textid::kPlanAddRow));
  Bu_RemoveRow->setText(q(textid::kPlanRemoveRow));
}

void TF_Plan::SetRow(int row, const plan::TCharacteristic& c) {
  const std::string texts[kColumns] = {c.Name,
                                       LimitText(c.Nominal, c.Decimals),
                                       LimitText(c.Lower, c.Decimals),
                                       LimitText(c.Upper, c.Decimals),
                                       c.Unit,
                                       std::to_string(c.Decimals),
                                       c.Port > 0 ? "COM" + std::to_string(c.Port) : "",
                                       std::to_string(c.Mode),
                                       c.Cable == 1 ? "simplex" : "duplex",
                                       c.SignSwap ? "1" : "0",
                                       ""};
  for (int col = 0; col < kColumns; ++col) {
    auto* item = new QTableWidgetItem(QString::fromStdString(texts[col]));
    if (col == cProblem) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    Tb_Characteristics->setItem(row, col, item);
  }
}

void TF_Plan::ShowPlan(const plan::TPlan& p, const std::string& path) {
  Ed_PlanName->setText(QString::fromStdString(p.Name));
  Ed_PartNumber->setText(QString::fromStdString(p.PartNumber));
  Ed_PartName->setText(QString::fromStdString(p.PartName));
  Cb_PartIds->setChecked(p.PartIds);
  Tb_Characteristics->setRowCount(0);
  std::vector<plan::TCharacteristic> rows = p.Characteristics;
  if (rows.empty()) rows.push_back({});
  for (const plan::TCharacteristic& c : rows) {
    const int row = Tb_Characteristics->rowCount();
    Tb_Characteristics->insertRow(row);
    SetRow(row, c);
  }
  Tb_Characteristics->resizeColumnsToContents();
  La_State->setText(QString::fromStdString(path));
  if (path != FPath) {
    FPath = path;
    if (OnPathChanged) OnPathChanged(FPath);
  }
}

bool TF_Plan::Open(const std::string& path) {
  plan::TPlan p;
  std::vector<plan::TPlanProblem> problems;
  std::string error;
  if (!plan::ReadPlan(path, p, problems, error)) {
    La_State->setText(QString::fromStdString(Text(textid::kPlanNotRead) + " " + error));
    return false;
  }
  ShowPlan(p, path);
  ShowProblems(problems);
  return true;
}

plan::TPlan TF_Plan::Plan(std::vector<plan::TPlanProblem>& problems) const {
  plan::TPlan p;
  p.Name = Ed_PlanName->text().trimmed().toStdString();
  p.PartNumber = Ed_PartNumber->text().trimmed().toStdString();
  p.PartName = Ed_PartName->text().trimmed().toStdString();
  p.PartIds = Cb_PartIds->isChecked();
  for (int row = 0; row < Tb_Characteristics->rowCount(); ++row) {
    const auto cell = [&](int col) {
      const QTableWidgetItem* item = Tb_Characteristics->item(row, col);
      return item != nullptr ? item->text().trimmed().toStdString() : std::string();
    };
    const auto refuse = [&](int col) {
      problems.push_back({row + 1, kFields[col], Text(textid::kPlanNotANumber)});
    };
    plan::TCharacteristic c;
    c.Name = cell(cName);
    for (int col : {cNominal, cLower, cUpper}) {
      std::optional<double>& limit = col == cNominal ? c.Nominal
                                     : col == cLower ? c.Lower
                                                     : c.Upper;
      if (!ReadLimit(cell(col), limit)) refuse(col);
    }
    c.Unit = cell(cUnit);
    if (!measurement::TryStrToInt(cell(cDecimals), c.Decimals)) refuse(cDecimals);
    std::string port = cell(cPort);
    for (char& ch : port) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (port.rfind("COM", 0) != 0 || !measurement::TryStrToInt(port.substr(3), c.Port)) {
      c.Port = 0;  // CheckPlan says why
    }
    if (!measurement::TryStrToInt(cell(cMode), c.Mode)) c.Mode = -1;
    const std::string cable = cell(cCable);
    c.Cable = cable == "duplex" ? 0 : cable == "simplex" ? 1 : -1;
    c.SignSwap = cell(cSwap) == "1";
    p.Characteristics.push_back(c);
  }
  return p;
}

bool TF_Plan::SaveAs(const std::string& path) {
  std::vector<plan::TPlanProblem> problems;
  const plan::TPlan p = Plan(problems);
  for (const plan::TPlanProblem& problem : plan::CheckPlan(p)) problems.push_back(problem);
  ShowProblems(problems);
  if (!problems.empty()) {
    La_State->setText(QString::fromStdString(Text(textid::kPlanNotSaved)));
    return false;
  }
  try {
    plan::WritePlan(path, p);
  } catch (const Exception& e) {
    La_State->setText(QString::fromStdString(e.what()));
    return false;
  }
  if (path != FPath) {
    FPath = path;
    if (OnPathChanged) OnPathChanged(FPath);
  }
  La_State->setText(QString::fromStdString(Text(textid::kPlanSaved) + " " + path));
  return true;
}

// Each row's problems in its last column, the row marked; the plan's own beside the state.
void TF_Plan::ShowProblems(const std::vector<plan::TPlanProblem>& problems) {
  for (int row = 0; row < Tb_Characteristics->rowCount(); ++row) {
    std::string reasons;
    for (const plan::TPlanProblem& p : problems)
      if (p.Row == row + 1) reasons += (reasons.empty() ? "" : "; ") + p.Field + ": " + p.Reason;
    for (int col = 0; col < kColumns; ++col) {
      QTableWidgetItem* item = Tb_Characteristics->item(row, col);
      if (item == nullptr) continue;
      item->setBackground(reasons.empty() ? QBrush() : QBrush(kProblemColour));
      if (col == cProblem) item->setText(QString::fromStdString(reasons));
    }
  }
  std::string plan;
  for (const plan::TPlanProblem& p : problems)
    if (p.Row == 0) plan += (plan.empty() ? "" : "; ") + p.Field + ": " + p.Reason;
  Ed_PlanName->setToolTip(QString::fromStdString(plan));
  Ed_PlanName->setStyleSheet(plan.empty() ? QString() : QStringLiteral("background: #ffcdcd"));
}

}  // namespace pzam
