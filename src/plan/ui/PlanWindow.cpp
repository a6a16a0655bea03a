#include "plan/ui/PlanWindow.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <algorithm>
#include <cstdio>

#include "common/Errors.h"
#include "measurement/MeasurementRun.h"
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
const QColor kInsideColour(150, 225, 150);
const QColor kOutsideColour(240, 130, 130);
const QColor kNextColour(255, 235, 140);
enum TRunColumn { rName, rLower, rUpper, rValue, kRunColumns };

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
  Cb_UsePlan = new QCheckBox(this);
  Cb_UsePlan->setObjectName("Cb_UsePlan");
  grid->addWidget(Cb_UsePlan, 6, 0, 1, 4);
  grid->setColumnStretch(3, 1);

  Gb_Part = new QGroupBox(this);
  Gb_Part->setObjectName("Gb_Part");
  auto* part = new QGridLayout(Gb_Part);
  La_PartId = new QLabel(Gb_Part);
  Ed_PartId = new QLineEdit(Gb_Part);
  Ed_PartId->setObjectName("Ed_PartId");
  Bu_Repeat = new QPushButton(Gb_Part);
  Bu_Repeat->setObjectName("Bu_Repeat");
  Bu_Take = new QPushButton(Gb_Part);
  Bu_Take->setObjectName("Bu_Take");
  La_Counts = new QLabel(Gb_Part);
  La_Counts->setObjectName("La_Counts");
  La_LastPart = new QLabel(Gb_Part);
  La_LastPart->setObjectName("La_LastPart");
  La_LastPart->setAutoFillBackground(true);
  Tb_Part = new QTableWidget(0, kRunColumns, Gb_Part);
  Tb_Part->setObjectName("Tb_Part");
  Tb_Part->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Tb_Part->setSelectionMode(QAbstractItemView::NoSelection);
  Tb_Part->setFocusPolicy(Qt::NoFocus);
  Tb_Part->horizontalHeader()->setStretchLastSection(true);
  Tb_Part->verticalHeader()->setVisible(false);
  QFont big = Tb_Part->font();
  big.setPointSize(big.pointSize() + 3);
  Tb_Part->setFont(big);
  Ed_PartId->setFont(big);
  part->addWidget(La_PartId, 0, 0);
  part->addWidget(Ed_PartId, 0, 1);
  part->addWidget(Bu_Repeat, 0, 2);
  part->addWidget(Bu_Take, 0, 3);
  part->addWidget(Tb_Part, 1, 0, 1, 4);
  part->addWidget(La_LastPart, 2, 0, 1, 2);
  part->addWidget(La_Counts, 2, 2, 1, 2);
  part->setColumnStretch(1, 1);
  grid->addWidget(Gb_Part, 7, 0, 1, 4);
  Gb_Part->hide();
  connect(Ed_PartId, &QLineEdit::returnPressed, this, [this] {
    const std::string id = Ed_PartId->text().trimmed().toStdString();
    if (id.empty() || !OnPartId) return;
    OnPartId(id);
  });
  connect(Bu_Repeat, &QPushButton::clicked, this, [this] {
    if (OnRepeat) OnRepeat();
  });
  connect(Bu_Take, &QPushButton::clicked, this, [this] {
    if (OnTake) OnTake();
  });

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
  FitColumns();
  Bu_New->setText(q(textid::kPlanNew));
  Bu_Open->setText(q(textid::kPlanOpen));
  Bu_Save->setText(q(textid::kPlanSave));
  Bu_SaveAs->setText(q(textid::kPlanSaveAs));
  Bu_AddRow->setText(q(textid::kPlanAddRow));
  Bu_RemoveRow->setText(q(textid::kPlanRemoveRow));
  Cb_UsePlan->setText(q(textid::kUsePlan));
  La_PartId->setText(q(textid::kPartIdLabel));
  Ed_PartId->setPlaceholderText(q(textid::kPartIdWaits));
  Bu_Repeat->setText(q(textid::kRepeat));
  Bu_Take->setText(q(textid::kTake));
  QStringList runHeadings;
  for (int c = 0; c < kRunColumns; ++c) runHeadings << q(textid::kRunColumn0 + c);
  Tb_Part->setHorizontalHeaderLabels(runHeadings);
  ShowRunTexts();
}

// The fields' columns as wide as their headings and values; the problems take the rest.
void TF_Plan::FitColumns() {
  for (int col = 0; col < cProblem; ++col) Tb_Characteristics->resizeColumnToContents(col);
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
  FitColumns();
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
    La_State->setText(QString::fromStdString(
        Text(textid::kPlanNotRead) + " " + (problems.empty() ? error : ProblemText(problems[0]))));
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
      problems.push_back({row + 1,
                          kFields[col],
                          "'" + cell(col) + "' is not a number",
                          plan::TPlanProblemKind::NotANumber,
                          {cell(col)}});
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
      if (p.Row == row + 1) reasons += (reasons.empty() ? "" : "; ") + ProblemText(p);
    for (int col = 0; col < kColumns; ++col) {
      QTableWidgetItem* item = Tb_Characteristics->item(row, col);
      if (item == nullptr) continue;
      item->setBackground(reasons.empty() ? QBrush() : QBrush(kProblemColour));
      if (col != cProblem) continue;
      item->setText(QString::fromStdString(reasons));
      item->setToolTip(item->text());
    }
  }
  FitColumns();
  std::string plan;
  for (const plan::TPlanProblem& p : problems)
    if (p.Row == 0) plan += (plan.empty() ? "" : "; ") + ProblemText(p);
  Ed_PlanName->setToolTip(QString::fromStdString(plan));
  Ed_PlanName->setStyleSheet(plan.empty() ? QString() : QStringLiteral("background: #ffcdcd"));
}

std::string TF_Plan::ProblemText(const plan::TPlanProblem& problem) const {
  static_assert(std::size(textid::kPlanProblemTexts) == plan::kPlanProblemKinds);
  const std::string why = measurement::FormatText(
      Text(textid::kPlanProblemTexts[static_cast<int>(problem.Kind)]), problem.Args);
  std::string where;
  if (problem.Row == 0) {
    if (problem.Field == "Name") where = Text(textid::kPlanNameLabel);
    if (problem.Field == "PartIds") where = Text(textid::kPartIdsBox);
  } else {
    for (int col = 0; col < cProblem; ++col)
      if (problem.Field == kFields[col]) where = Text(textid::kPlanColumn0 + col);
  }
  return where.empty() ? why : where + ": " + why;
}

bool TF_Plan::UsePlan() const {
  return Cb_UsePlan->isChecked();
}

void TF_Plan::SetUsePlan(bool use) {
  Cb_UsePlan->setChecked(use);
}

// Only a saved plan is measured, so that the plan file names what the parts were measured by.
bool TF_Plan::PlanToMeasure(plan::TPlan& out, std::string& error) {
  std::vector<plan::TPlanProblem> problems;
  const plan::TPlan p = Plan(problems);
  for (const plan::TPlanProblem& problem : plan::CheckPlan(p)) problems.push_back(problem);
  ShowProblems(problems);
  if (!problems.empty()) {
    const plan::TPlanProblem& first = problems.front();
    error = (first.Row == 0 ? std::string()
                            : Text(textid::kPlanColumn0) + " " + std::to_string(first.Row) + ", ") +
            ProblemText(first);
    return false;
  }
  plan::TPlan saved;
  std::vector<plan::TPlanProblem> ignored;
  std::string readError;
  if (FPath.empty() || !plan::ReadPlan(FPath, saved, ignored, readError) || !(saved == p)) {
    error = FPath.empty() ? Text(textid::kPlanNeverSaved)
                          : measurement::FormatText(Text(textid::kPlanChanged), {FPath});
    return false;
  }
  out = p;
  return true;
}

void TF_Plan::StartRun(const plan::TPlan& p) {
  FRunPlan = p;
  FPart = 0;
  FLastResult = 0;
  FLastPart.clear();
  for (QWidget* w : std::initializer_list<QWidget*>{
           Ed_PlanName, Ed_PartNumber, Ed_PartName, Cb_PartIds, Tb_Characteristics, Bu_New, Bu_Open,
           Bu_Save, Bu_SaveAs, Bu_AddRow, Bu_RemoveRow, Cb_UsePlan})
    w->setEnabled(false);
  Tb_Characteristics->hide();
  La_State->setText(QString::fromStdString(Text(textid::kPlanRunning)));
  Tb_Part->setRowCount(static_cast<int>(p.Characteristics.size()));
  for (int row = 0; row < Tb_Part->rowCount(); ++row) {
    const plan::TCharacteristic& c = p.Characteristics[static_cast<std::size_t>(row)];
    const std::string texts[kRunColumns] = {c.Name, LimitText(c.Lower, c.Decimals),
                                            LimitText(c.Upper, c.Decimals), ""};
    for (int col = 0; col < kRunColumns; ++col)
      Tb_Part->setItem(row, col, new QTableWidgetItem(QString::fromStdString(texts[col])));
  }
  Tb_Part->resizeColumnsToContents();
  const bool sylvac = std::any_of(p.Characteristics.begin(), p.Characteristics.end(),
                                  [](const plan::TCharacteristic& c) { return c.Mode == 2; });
  Bu_Take->setVisible(sylvac);
  La_PartId->setVisible(p.PartIds);
  Ed_PartId->setVisible(p.PartIds);
  Gb_Part->show();
  ShowRunTexts();
}

void TF_Plan::ShowPart(const plan::TPartRouter& router) {
  FPart = router.Part();
  const auto& values = router.Values();
  // The row that waits next; -1 while the part waits for its id.
  const int next = router.WaitsForId() ? -1 : router.NextCharacteristic().value_or(-1);
  for (int row = 0; row < Tb_Part->rowCount() && row < static_cast<int>(values.size()); ++row) {
    const auto& v = values[static_cast<std::size_t>(row)];
    const plan::TCharacteristic& c = FRunPlan.Characteristics[static_cast<std::size_t>(row)];
    QColor colour;
    if (v) colour = plan::Inside(c, v->Value) ? kInsideColour : kOutsideColour;
    if (next == row) colour = kNextColour;
    for (int col = 0; col < kRunColumns; ++col) {
      QTableWidgetItem* item = Tb_Part->item(row, col);
      item->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
      QFont f = item->font();
      f.setBold(next == row);
      item->setFont(f);
    }
    Tb_Part->item(row, rValue)->setText(v ? QString::fromStdString(v->Text) : QString());
  }
  // The id field follows the part: empty and ready for the scanner while it waits for an id.
  const bool waits = router.WaitsForId();
  Ed_PartId->setReadOnly(!waits);
  if (waits) {
    if (!Ed_PartId->isModified()) Ed_PartId->clear();
    Ed_PartId->setStyleSheet(QStringLiteral("background: #ffeb8c"));
    // The scanner types into the focused field: the id field is the window's focus.
    Ed_PartId->setFocus();
  } else {
    Ed_PartId->setText(QString::fromStdString(router.PartId()));
    Ed_PartId->setModified(false);
    Ed_PartId->setStyleSheet(QString());
  }
  Bu_Repeat->setEnabled(std::any_of(values.begin(), values.end(),
                                    [](const auto& value) { return value.has_value(); }));
  La_Counts->setText(QString::fromStdString(measurement::FormatText(
      Text(textid::kPartCounts),
      {std::to_string(router.OkParts()), std::to_string(router.NokParts())})));
  ShowRunTexts();
}

void TF_Plan::ShowPartEnded(int part, const std::string& id, bool complete, bool ok) {
  FLastPart = std::to_string(part) + "\t" + (id.empty() ? "-" : id);
  FLastResult = !complete ? textid::kPartIncomplete : ok ? textid::kPartOk : textid::kPartNok;
  QPalette palette = La_LastPart->palette();
  palette.setColor(QPalette::Window, !complete ? palette.color(QPalette::Button)
                                     : ok      ? kInsideColour
                                               : kOutsideColour);
  La_LastPart->setPalette(palette);
  ShowRunTexts();
}

void TF_Plan::EndRun() {
  for (QWidget* w : std::initializer_list<QWidget*>{
           Ed_PlanName, Ed_PartNumber, Ed_PartName, Cb_PartIds, Tb_Characteristics, Bu_New, Bu_Open,
           Bu_Save, Bu_SaveAs, Bu_AddRow, Bu_RemoveRow, Cb_UsePlan})
    w->setEnabled(true);
  Tb_Characteristics->show();
  Gb_Part->hide();
  La_State->setText(QString::fromStdString(FPath));
}

bool TF_Plan::RunShown() const {
  return !Gb_Part->isHidden();
}

// The texts that carry the run's figures, in the current language.
void TF_Plan::ShowRunTexts() {
  Gb_Part->setTitle(QString::fromStdString(
      measurement::FormatText(Text(textid::kPartHeading), {std::to_string(FPart)})));
  if (FLastResult == 0) {
    La_LastPart->clear();
    return;
  }
  const std::size_t tab = FLastPart.find('\t');
  La_LastPart->setText(QString::fromStdString(measurement::FormatText(
      Text(textid::kLastPart),
      {FLastPart.substr(0, tab), FLastPart.substr(tab + 1), Text(FLastResult)})));
}

}  // namespace pzam
