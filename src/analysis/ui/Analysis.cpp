#include "analysis/ui/Analysis.h"

#include <qcustomplot.h>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QTimer>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/Charts.h"
#include "analysis/ui/FigureRows.h"
#include "analysis/ui/GaugeStudyPage.h"
#include "analysis/ui/GaugeStudyTexts.h"
#include "ui/Controls.h"

namespace pzam {

using analysis::TToleranceField;
using analysis::TToleranceProblem;
using ui::Place;

namespace {

constexpr int kFigureRows = 21;

QLabel* Label(QWidget* parent, const char* name, int tag) {
  auto* label = new QLabel(QString::number(tag), parent);
  label->setObjectName(name);
  ui::SetTag(label, tag);
  label->setFont(ui::SansSerifFont(13));
  return label;
}

QLabel* Reason(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setFont(ui::SansSerifFont(12, true));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor(190, 0, 0));
  label->setPalette(palette);
  label->setMinimumWidth(260);
  return label;
}

QLineEdit* Field(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setFont(ui::ArialFont(14, true));
  field->setFixedWidth(120);
  return field;
}

}  // namespace

TF_Analysis::TF_Analysis(QWidget* parent) : QWidget(parent, Qt::Window) {
  CreateControls();
  ShowFigures();
}

TF_Analysis::~TF_Analysis() = default;

void TF_Analysis::CreateControls() {
  setObjectName("F_Analysis");
  ui::SetTag(this, textid::kAnalysisCaption);
  setWindowTitle(QString::number(textid::kAnalysisCaption));
  setFont(ui::SansSerifFont(11));
  resize(1240, 860);  // within the screen's available size when shown (FitToScreen)

  auto* grid = new QGridLayout(this);
  auto* limits = new QGridLayout;
  La_Nominal = Label(this, "La_Nominal", textid::kNominalLabel);
  Ed_Nominal = Field(this, "Ed_Nominal");
  La_NominalReason = Reason(this, "La_NominalReason");
  La_Lower = Label(this, "La_Lower", textid::kLowerLabel);
  Ed_Lower = Field(this, "Ed_Lower");
  La_LowerReason = Reason(this, "La_LowerReason");
  La_Upper = Label(this, "La_Upper", textid::kUpperLabel);
  Ed_Upper = Field(this, "Ed_Upper");
  La_UpperReason = Reason(this, "La_UpperReason");
  QWidget* rows[3][3] = {{La_Nominal, Ed_Nominal, La_NominalReason},
                         {La_Lower, Ed_Lower, La_LowerReason},
                         {La_Upper, Ed_Upper, La_UpperReason}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) limits->addWidget(rows[r][c], r, c);
  }
  // The characteristic chooser, there only in a plan run: beside the nominal, where the reason
  // of a typed limit would stand (a plan's limits are not typed), so the window keeps its height.
  La_Characteristic = Label(nullptr, "La_Characteristic", textid::kCharacteristicLabel);
  Cb_Characteristic = new QComboBox;
  Cb_Characteristic->setObjectName("Cb_Characteristic");
  Cb_Characteristic->setFont(ui::SansSerifFont(13, true));
  Cb_Characteristic->setMinimumWidth(260);
  Cb_Characteristic->setMaxVisibleItems(20);
  FChooser = new QWidget(this);
  FChooser->setObjectName("W_Characteristic");
  auto* chooser = new QHBoxLayout(FChooser);
  chooser->setContentsMargins(20, 0, 0, 0);
  chooser->addWidget(La_Characteristic);
  chooser->addWidget(Cb_Characteristic, 1);
  limits->addWidget(FChooser, 0, 2);
  FChooser->hide();
  limits->setColumnStretch(2, 1);
  grid->addLayout(limits, 0, 0);

  auto* report = new QGridLayout;
  Bu_Report = new QPushButton(QString::number(textid::kReportButton), this);
  Bu_Report->setObjectName("Bu_Report");
  ui::SetTag(Bu_Report, textid::kReportButton);
  Bu_Report->setFont(ui::SansSerifFont(13));
  Bu_Report->setFixedSize(260, 25);
  La_Report = new QLabel(this);
  La_Report->setObjectName("La_Report");
  La_Report->setFont(ui::SansSerifFont(12));
  Ed_Report = new QLineEdit(this);
  Ed_Report->setObjectName("Ed_Report");
  Ed_Report->setReadOnly(true);
  Ed_Report->setFont(ui::SansSerifFont(12));
  ui::SetBackground(Ed_Report, ui::clBtnFace);
  report->addWidget(Bu_Report, 0, 0);
  report->addWidget(La_Report, 1, 0);
  report->addWidget(Ed_Report, 2, 0);
  // The type 1 gauge study: a window of its own over the same values.
  Bu_Study = new QPushButton(QString::number(textid::kStudyButton), this);
  Bu_Study->setObjectName("Bu_Study");
  ui::SetTag(Bu_Study, textid::kStudyButton);
  Bu_Study->setFont(ui::SansSerifFont(13));
  Bu_Study->setFixedSize(260, 25);
  report->addWidget(Bu_Study, 3, 0);
  FStudy = new analysis::TGaugeStudyPage(this);
  FStudy->SetTextSource([this](int id) { return Text(id); });
  connect(Bu_Study, &QPushButton::clicked, this, [this] {
    ShowStudyRun();
    FStudy->show();
    FStudy->raise();
  });
  grid->addLayout(report, 0, 1, Qt::AlignTop);

  FCharts = std::make_unique<analysis::TAnalysisCharts>(this, true);
  Tb_Figures = ui::FigureTable(this, "Tb_Figures", kFigureRows, 19, 110, 70, true);

  auto* left = new QVBoxLayout;
  left->addWidget(FCharts->Individuals(), 3);
  left->addWidget(FCharts->MovingRange(), 2);
  auto* right = new QVBoxLayout;
  right->addWidget(FCharts->Histogram(), 1);
  right->addWidget(Tb_Figures, 1);
  Tb_Figures->setMinimumHeight(19 * kFigureRows + 28);
  grid->addLayout(left, 1, 0);
  grid->addLayout(right, 1, 1);
  grid->setColumnStretch(0, 3);
  grid->setColumnStretch(1, 2);
  grid->setRowStretch(1, 1);

  for (QLineEdit* field : {Ed_Nominal, Ed_Lower, Ed_Upper}) {
    connect(field, &QLineEdit::textChanged, this, [this] { ToleranceEdited(); });
  }
  connect(Bu_Report, &QPushButton::clicked, this, [this] { Bu_ReportClick(); });
  connect(Cb_Characteristic, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (index >= 0 && index != FChosen) Choose(index);
  });
  Bu_Report->setEnabled(false);
}

void TF_Analysis::SetDecimalSeparator(char separator) {
  FSeparator = separator;
  FCharts->SetDecimalSeparator(separator);
  if (PlanRun()) ShowChosenLimits();
  FStudy->SetDecimalSeparator(separator);
  ScheduleUpdate();
}

void TF_Analysis::Retranslate() {
  const auto q = [this](int id) { return QString::fromStdString(Text(id)); };
  setWindowTitle(q(textid::kAnalysisCaption));
  for (QWidget* w : std::initializer_list<QWidget*>{La_Nominal, La_Lower, La_Upper}) {
    static_cast<QLabel*>(w)->setText(q(ui::Tag(w)));
  }
  Bu_Report->setText(q(textid::kReportButton));
  La_Characteristic->setText(q(textid::kCharacteristicLabel));
  Bu_Study->setText(q(textid::kStudyButton));
  FStudy->Retranslate();
  La_Report->setText(FReportState != 0 ? q(FReportState) : QString());
  ShowReasons();
  Tb_Figures->setHorizontalHeaderLabels(
      {q(textid::kFigureHeading), q(textid::kValueHeading), q(textid::kShareHeading)});
  for (int r = 0; r < kFigureRows; ++r) Tb_Figures->item(r, 0)->setText(q(textid::kFigureRow0 + r));
  FCharts->SetTexts([this](int id) { return Text(id); });
  FCharts->Replot(true);
}

void TF_Analysis::ShowReasons() {
  QLabel* reasons[] = {La_NominalReason, La_LowerReason, La_UpperReason};
  for (int i = 0; i < 3; ++i) {
    if (!FProblems[i]) {
      reasons[i]->clear();
    } else {
      reasons[i]->setText(QString::fromStdString(Text(*FProblems[i] == TToleranceProblem::NotANumber
                                                          ? textid::kNotANumber
                                                          : textid::kLowerNotBelow)));
    }
  }
}

// The three texts are judged together once, not field by field.
void TF_Analysis::SetToleranceTexts(const analysis::TToleranceTexts& texts) {
  if (PlanRun()) {
    // The fields show the plan's limits: valid texts come into force for the run without a plan
    // unseen.
    analysis::TTolerance parsed;
    if (!analysis::ParseTolerance(texts, FSeparator, parsed)) {
      FInForceTexts = texts;
      FTolerance = parsed;
      if (OnToleranceChanged) OnToleranceChanged();
    }
    return;
  }
  for (QLineEdit* field : {Ed_Nominal, Ed_Lower, Ed_Upper}) field->blockSignals(true);
  Ed_Nominal->setText(QString::fromStdString(texts.Nominal));
  Ed_Lower->setText(QString::fromStdString(texts.Lower));
  Ed_Upper->setText(QString::fromStdString(texts.Upper));
  for (QLineEdit* field : {Ed_Nominal, Ed_Lower, Ed_Upper}) field->blockSignals(false);
  ToleranceEdited();
}

// Every change of a field: the three texts together are a tolerance, or the field at fault says
// why.
void TF_Analysis::ToleranceEdited() {
  const analysis::TToleranceTexts texts{Ed_Nominal->text().toStdString(),
                                        Ed_Lower->text().toStdString(),
                                        Ed_Upper->text().toStdString()};
  analysis::TTolerance parsed;
  FProblems = {};
  if (const auto error = analysis::ParseTolerance(texts, FSeparator, parsed)) {
    FProblems[static_cast<int>(error->Field)] = error->Problem;
  } else {
    FInForceTexts = texts;
    FTolerance = parsed;
    if (OnToleranceChanged) OnToleranceChanged();
    ScheduleUpdate();
  }
  ShowReasons();
}

void TF_Analysis::SetLimitsEditable(bool editable) {
  FEditable = editable;
  ApplyEditable();
}

// A plan's limits are the plan's: read-only whatever the run's state.
void TF_Analysis::ApplyEditable() {
  const bool editable = FEditable && !PlanRun();
  for (QLineEdit* field : {Ed_Nominal, Ed_Lower, Ed_Upper}) {
    field->setReadOnly(!editable);
    ui::SetBackground(field, editable ? QColor(Qt::white) : ui::clBtnFace);
  }
}

void TF_Analysis::Clear() {
  if (PlanRun()) {
    SetCharacteristics({});
  } else {
    ClearRun();
  }
}

void TF_Analysis::ClearRun() {
  FValues.clear();
  FTimes.clear();
  FCharts->Restart();
  FReportState = 0;
  La_Report->clear();
  Ed_Report->clear();
  ScheduleUpdate();
}

void TF_Analysis::AddValue(double value, const std::string& time) {
  FValues.push_back(value);
  FTimes.push_back(time);
  ScheduleUpdate();
}

std::span<const double> TF_Analysis::Values() const {
  if (!PlanRun()) return FValues;
  return FPlanValues[static_cast<std::size_t>(FChosen)];
}

void TF_Analysis::SetCharacteristics(std::vector<TAnalysisCharacteristic> characteristics) {
  FCharacteristics = std::move(characteristics);
  FPlanValues.assign(FCharacteristics.size(), {});
  FPlanTimes.assign(FCharacteristics.size(), {});
  FParts.clear();
  FChosen = 0;
  FillChooser();
  La_NominalReason->setVisible(!PlanRun());
  FChooser->setVisible(PlanRun());
  ShowChosenLimits();
  ApplyEditable();
  ClearRun();
}

// One item per characteristic: its number, name and unit.
void TF_Analysis::FillChooser() {
  Cb_Characteristic->blockSignals(true);
  Cb_Characteristic->clear();
  for (std::size_t i = 0; i < FCharacteristics.size(); ++i) {
    const TAnalysisCharacteristic& c = FCharacteristics[i];
    std::string item = std::to_string(i + 1) + "  " + c.Name;
    if (!c.Unit.empty()) item += " [" + c.Unit + "]";
    Cb_Characteristic->addItem(QString::fromStdString(item));
  }
  Cb_Characteristic->setCurrentIndex(PlanRun() ? 0 : -1);
  Cb_Characteristic->blockSignals(false);
}

// The fields show the chosen characteristic's limits; they are not judged as typed texts and
// leave the limits in force for the run without a plan alone. Without a plan the fields show
// those limits again.
void TF_Analysis::ShowChosenLimits() {
  std::array<std::string, 3> texts{FInForceTexts.Nominal, FInForceTexts.Lower, FInForceTexts.Upper};
  if (PlanRun()) {
    const analysis::TTolerance& t = ShownTolerance();
    const std::optional<double> limits[] = {t.Nominal, t.Lower, t.Upper};
    // All three with the decimals the finest of them needs.
    int decimals = 0;
    for (const auto& x : limits) {
      const std::string text = analysis::LimitText(x, 0, '.');
      const std::size_t dot = text.find('.');
      if (dot != std::string::npos) decimals = std::max(decimals, int(text.size() - dot - 1));
    }
    for (int i = 0; i < 3; ++i) {
      texts[i] = limits[i] ? analysis::LimitText(limits[i], decimals, FSeparator) : std::string();
    }
  }
  QLineEdit* fields[] = {Ed_Nominal, Ed_Lower, Ed_Upper};
  for (int i = 0; i < 3; ++i) {
    fields[i]->blockSignals(true);
    fields[i]->setText(QString::fromStdString(texts[i]));
    fields[i]->blockSignals(false);
  }
  FProblems = {};
  ShowReasons();
}

void TF_Analysis::AddValue(int characteristic, double value, const std::string& time) {
  if (characteristic < 0 || characteristic >= static_cast<int>(FCharacteristics.size())) return;
  FPlanValues[static_cast<std::size_t>(characteristic)].push_back(value);
  FPlanTimes[static_cast<std::size_t>(characteristic)].push_back(time);
  // Another characteristic's value changes nothing on the screen but the report button.
  if (characteristic == FChosen || !Bu_Report->isEnabled()) ScheduleUpdate();
}

void TF_Analysis::AddPart(const TAnalysisPart& part) {
  FParts.push_back(part);
}

void TF_Analysis::Choose(int characteristic) {
  if (characteristic < 0 || characteristic >= static_cast<int>(FCharacteristics.size())) return;
  if (characteristic == FChosen) return;
  FChosen = characteristic;
  Cb_Characteristic->blockSignals(true);
  Cb_Characteristic->setCurrentIndex(characteristic);
  Cb_Characteristic->blockSignals(false);
  ShowChosenLimits();
  // Another characteristic has other units and scales: the charts fit it afresh.
  FCharts->Restart();
  ScheduleUpdate();
  if (OnChosen) OnChosen(characteristic);
}

bool TF_Analysis::HasValues() const {
  bool any = !FValues.empty();
  for (const auto& values : FPlanValues) any = any || !values.empty();
  return any;
}

const analysis::TTolerance& TF_Analysis::ToleranceOf(int characteristic) const {
  if (characteristic < 0 || characteristic >= static_cast<int>(FCharacteristics.size())) {
    return FTolerance;
  }
  return FCharacteristics[static_cast<std::size_t>(characteristic)].Tolerance;
}

// A burst of values costs one update; a hidden window is brought up to date when it is shown.
void TF_Analysis::ScheduleUpdate() {
  if (FUpdatePending || !isVisible()) return;
  FUpdatePending = true;
  QTimer::singleShot(0, this, [this] {
    if (FUpdatePending) UpdateNow();
  });
}

void TF_Analysis::UpdateNow() {
  FUpdatePending = false;
  FFigures = analysis::ComputeFigures(Values(), ShownTolerance());
  ShowFigures();
  FCharts->Update(Values(), FFigures, ShownTolerance());
  FCharts->Replot(true);
  Bu_Report->setEnabled(HasValues());
  ShowStudyRun();
}

// The study is of the values shown: a plan run's chosen characteristic, named in its title.
void TF_Analysis::ShowStudyRun() {
  FStudy->SetSubject(PlanRun() ? Cb_Characteristic->currentText().toStdString() : std::string());
  FStudy->SetRun(Values(), ShownTolerance());
}

void TF_Analysis::ShowFigures() {
  const auto rows = analysis::FigureRows(FFigures, ShownTolerance(),
                                         analysis::ValueDecimals(Values()), FSeparator);
  for (int r = 0; r < kFigureRows && r < static_cast<int>(rows.size()); ++r) {
    Tb_Figures->item(r, 1)->setText(QString::fromStdString(rows[r].Value));
    Tb_Figures->item(r, 2)->setText(QString::fromStdString(rows[r].Share));
  }
}

void TF_Analysis::showEvent(QShowEvent* event) {
  if (!FPlaced) FitToScreen();
  QWidget::showEvent(event);
  UpdateNow();
}

// The first time it is shown the window takes at most the screen's available size (a 1366 x 768
// shop-floor screen has less than the 1240 x 860 it asks for) and lies wholly on that screen.
void TF_Analysis::FitToScreen() {
  FPlaced = true;
  const QScreen* screen = parentWidget() != nullptr ? parentWidget()->screen() : this->screen();
  if (screen == nullptr) return;
  const QRect avail = screen->availableGeometry();
  // The frame the window manager adds is not known before the window is shown: leave room for a
  // title bar.
  const QSize frame(16, 40);
  const QSize size = this->size().boundedTo(avail.size() - frame).expandedTo(minimumSizeHint());
  resize(size);
  QRect r(pos(), size + frame);
  if (!avail.contains(r)) {
    r.moveCenter(avail.center());
    move(std::max(avail.left(), r.left()), std::max(avail.top(), r.top()));
  }
}

void TF_Analysis::Bu_ReportClick() {
  if (!RunInfo || !HasValues()) return;
  const TAnalysisRun run = RunInfo();
  analysis::TReportData data;
  static_cast<analysis::TRunParticulars&>(data) = run;
  data.DecimalSeparator = FSeparator;
  if (!PlanRun()) {
    data.Tolerance = FTolerance;
    data.Values = FValues;
    data.Times = FTimes;
  }
  for (std::size_t i = 0; i < FCharacteristics.size(); ++i) {
    const TAnalysisCharacteristic& c = FCharacteristics[i];
    data.Characteristics.push_back({c.Name, c.Tolerance, c.Unit, FPlanValues[i], FPlanTimes[i]});
  }
  for (const TAnalysisPart& p : FParts) {
    data.Parts.push_back({p.Part, p.Id, p.Time, p.Complete, p.Ok, p.Values});
  }
  if (FStudy->Ready()) {
    data.Study = FStudy->Inputs();
    data.StudyCharacteristic = FChosen;  // the page follows the chosen characteristic
  }
  std::string error;
  const bool written = analysis::WriteReport(
      run.ReportPath, data, [this](int id) { return Text(id); }, error);
  FReportState = written ? textid::kReportWritten : textid::kReportFailed;
  La_Report->setText(QString::fromStdString(Text(FReportState)));
  Ed_Report->setText(QString::fromStdString(written ? run.ReportPath : error));
}

}  // namespace pzam
