#include "analysis/ui/GaugeStudyPage.h"

#include <qcustomplot.h>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>

#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/FigureRows.h"
#include "analysis/ui/GaugeStudyChart.h"
#include "analysis/ui/GaugeStudyRows.h"
#include "analysis/ui/GaugeStudyTexts.h"
#include "measurement/NumberText.h"
#include "ui/Controls.h"

namespace pzam::analysis {

namespace {

constexpr int kRows = 10;

QLabel* Label(QWidget* parent, const char* name, int tag, int pixels = 13, bool bold = false) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  if (tag != 0) ui::SetTag(label, tag);
  label->setFont(ui::SansSerifFont(pixels, bold));
  return label;
}

QLineEdit* Field(QWidget* parent, const char* name) {
  auto* field = new QLineEdit(parent);
  field->setObjectName(name);
  field->setFont(ui::ArialFont(14, true));
  field->setFixedWidth(120);
  return field;
}

void Colour(QLabel* label, const QColor& colour) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour);
  label->setPalette(palette);
}

// A typed number in the program's separator; empty text is "not given".
enum class TTyped { Empty, Number, Bad };
TTyped ReadNumber(const QLineEdit* field, char separator, double& out) {
  const std::string text = field->text().trimmed().toStdString();
  if (text.empty()) return TTyped::Empty;
  long double x = 0;
  if (!measurement::TryStrToFloat(text, separator, x)) return TTyped::Bad;
  out = static_cast<double>(x);
  return TTyped::Number;
}

}  // namespace

TGaugeStudyPage::TGaugeStudyPage(QWidget* parent) : QWidget(parent, Qt::Window) {
  CreateControls();
}

TGaugeStudyPage::~TGaugeStudyPage() = default;

void TGaugeStudyPage::CreateControls() {
  setObjectName("F_Study");
  ui::SetTag(this, textid::kStudyCaption);
  setFont(ui::SansSerifFont(11));
  resize(1100, 640);  // within a 1366 x 768 screen with its task bar

  auto* grid = new QGridLayout(this);
  auto* inputs = new QGridLayout;
  La_StudyReference = Label(this, "La_StudyReference", textid::kStudyReferenceLabel);
  Ed_StudyReference = Field(this, "Ed_StudyReference");
  La_StudyReferenceReason = Label(this, "La_StudyReferenceReason", 0, 12, true);
  La_StudyTolerance = Label(this, "La_StudyTolerance", textid::kStudyToleranceLabel);
  Ed_StudyTolerance = Field(this, "Ed_StudyTolerance");
  La_StudyToleranceReason = Label(this, "La_StudyToleranceReason", 0, 12, true);
  La_StudyK = Label(this, "La_StudyK", textid::kStudyKLabel);
  Ed_StudyK = Field(this, "Ed_StudyK");
  La_StudyKReason = Label(this, "La_StudyKReason", 0, 12, true);
  La_StudyL = Label(this, "La_StudyL", textid::kStudyLLabel);
  Cb_StudyL = new QComboBox(this);
  Cb_StudyL->setObjectName("Cb_StudyL");
  Cb_StudyL->setFont(ui::ArialFont(14, true));
  Cb_StudyL->addItems({"6", "4"});
  Cb_StudyL->setFixedWidth(120);
  Ed_StudyK->setText("20");
  QWidget* rows[4][3] = {{La_StudyReference, Ed_StudyReference, La_StudyReferenceReason},
                         {La_StudyTolerance, Ed_StudyTolerance, La_StudyToleranceReason},
                         {La_StudyK, Ed_StudyK, La_StudyKReason},
                         {La_StudyL, Cb_StudyL, nullptr}};
  for (int r = 0; r < 4; ++r) {
    for (int c = 0; c < 3; ++c) {
      if (rows[r][c] != nullptr) inputs->addWidget(rows[r][c], r, c);
    }
  }
  inputs->setColumnMinimumWidth(2, 260);
  grid->addLayout(inputs, 0, 0, Qt::AlignLeft | Qt::AlignTop);

  auto* verdict = new QVBoxLayout;
  La_StudyVerdict = Label(this, "La_StudyVerdict", 0, 18, true);
  La_StudyNote = Label(this, "La_StudyNote", 0, 13, true);
  Colour(La_StudyNote, QColor(190, 0, 0));
  La_StudyNote->setWordWrap(true);
  verdict->addWidget(La_StudyVerdict);
  verdict->addWidget(La_StudyNote);
  verdict->addStretch(1);
  grid->addLayout(verdict, 0, 1);

  FChart = std::make_unique<TGaugeStudyChart>(this);
  Tb_Study = ui::FigureTable(this, "Tb_Study", kRows, 21, 110, 190, false);
  Tb_Study->setMinimumWidth(480);
  Tb_Study->setMinimumHeight(21 * kRows + 30);
  grid->addWidget(FChart->Plot(), 1, 0);
  grid->addWidget(Tb_Study, 1, 1, Qt::AlignTop);
  grid->setColumnStretch(0, 1);
  grid->setRowStretch(1, 1);

  for (QLineEdit* field : {Ed_StudyReference, Ed_StudyK}) {
    connect(field, &QLineEdit::textChanged, this, [this] { InputsEdited(); });
  }
  // Only the operator's own typing makes T his; the default fills the field without it.
  connect(Ed_StudyTolerance, &QLineEdit::textEdited, this, [this](const QString& text) {
    FToleranceTyped = !text.trimmed().isEmpty();
    InputsEdited();
  });
  connect(Cb_StudyL, &QComboBox::currentIndexChanged, this, [this] { InputsEdited(); });
  InputsEdited();
}

void TGaugeStudyPage::SetDecimalSeparator(char separator) {
  FSeparator = separator;
  FChart->SetDecimalSeparator(separator);
  InputsEdited();
}

void TGaugeStudyPage::Retranslate() {
  const auto q = [this](int id) { return QString::fromStdString(Text(id)); };
  setWindowTitle(q(textid::kStudyCaption) +
                 (FSubject.empty() ? QString() : " \u2013 " + QString::fromStdString(FSubject)));
  for (QLabel* label : {La_StudyReference, La_StudyTolerance, La_StudyK, La_StudyL}) {
    label->setText(q(ui::Tag(label)));
  }
  Tb_Study->setHorizontalHeaderLabels({q(textid::kStudyFigureHeading),
                                       q(textid::kStudyValueHeading),
                                       q(textid::kStudyRemarkHeading)});
  for (int r = 0; r < kRows; ++r) Tb_Study->item(r, 0)->setText(q(textid::kStudyRow0 + r));
  FChart->SetTexts([this](int id) { return Text(id); });
  ShowReasons();
  Show();
}

void TGaugeStudyPage::SetSubject(const std::string& subject) {
  if (subject == FSubject) return;
  FSubject = subject;
  Retranslate();
}

void TGaugeStudyPage::SetRun(std::span<const double> values, const TTolerance& tolerance) {
  FValues.assign(values.begin(), values.end());
  const bool limitsChanged =
      tolerance.Lower != FTolerance.Lower || tolerance.Upper != FTolerance.Upper;
  FTolerance = tolerance;
  if (limitsChanged && !FToleranceTyped) {
    // T follows the tolerance in force, with the decimals it needs (12,355 - 12,335 shows 0,02).
    QString text;
    if (tolerance.Lower && tolerance.Upper) {
      text = QString::fromStdString(LimitText(*tolerance.Upper - *tolerance.Lower, 0, FSeparator));
    }
    Ed_StudyTolerance->setText(text);
  }
  InputsEdited();
}

bool TGaugeStudyPage::Ready() const {
  return FOpened && FInputs.Reference && !FValues.empty() && FReasons[0] == 0 && FReasons[1] == 0 &&
         FReasons[2] == 0;
}

// Every change of an input: the usable ones come into force, a refused one says why and counts as
// not given (x_m, T) or keeps the last usable value (K).
void TGaugeStudyPage::InputsEdited() {
  double x = 0;
  FReasons[0] = FReasons[1] = FReasons[2] = 0;
  switch (ReadNumber(Ed_StudyReference, FSeparator, x)) {
    case TTyped::Empty:
      FInputs.Reference.reset();
      break;
    case TTyped::Number:
      FInputs.Reference = x;
      break;
    case TTyped::Bad:
      FInputs.Reference.reset();
      FReasons[0] = textid::kNotANumber;
      break;
  }
  FInputs.Tolerance.reset();
  switch (ReadNumber(Ed_StudyTolerance, FSeparator, x)) {
    case TTyped::Empty:
      break;
    case TTyped::Number:
      if (x > 0) {
        FInputs.Tolerance = x;
      } else {
        FReasons[1] = textid::kStudyToleranceNotAbove0;
      }
      break;
    case TTyped::Bad:
      FReasons[1] = textid::kNotANumber;
      break;
  }
  if (ReadNumber(Ed_StudyK, FSeparator, x) != TTyped::Number || !(x > 0 && x <= 100)) {
    FReasons[2] = textid::kStudyKOutside;
  } else {
    FInputs.K = x;
  }
  FInputs.L = Cb_StudyL->currentIndex() == 1 ? 4 : 6;
  ShowReasons();
  Show();
}

void TGaugeStudyPage::ShowReasons() {
  QLabel* labels[] = {La_StudyReferenceReason, La_StudyToleranceReason, La_StudyKReason};
  for (int i = 0; i < 3; ++i) {
    labels[i]->setText(FReasons[i] != 0 ? QString::fromStdString(Text(FReasons[i])) : QString());
    Colour(labels[i], QColor(190, 0, 0));
  }
  if (FReasons[1] == 0 && !FToleranceTyped && FInputs.Tolerance) {
    La_StudyToleranceReason->setText(QString::fromStdString(Text(textid::kStudyToleranceDefault)));
    Colour(La_StudyToleranceReason, Qt::darkGray);
  }
}

void TGaugeStudyPage::Show() {
  if (!isVisible()) return;
  FFigures = ComputeGaugeStudy(FValues, FInputs);
  const auto q = [this](int id) { return id == 0 ? QString() : QString::fromStdString(Text(id)); };
  const std::vector<TStudyRow> rows = StudyRows(FFigures, ValueDecimals(FValues), FSeparator);
  for (int r = 0; r < kRows && r < static_cast<int>(rows.size()); ++r) {
    Tb_Study->item(r, 1)->setText(QString::fromStdString(rows[r].Value));
    Tb_Study->item(r, 2)->setText(q(rows[r].RemarkId));
  }
  const int verdict = StudyVerdictText(FFigures);
  La_StudyVerdict->setText(q(textid::kStudyVerdictLabel) + " " + q(verdict));
  Colour(La_StudyVerdict, verdict == textid::kStudyCapable      ? QColor(0, 130, 50)
                          : verdict == textid::kStudyNotCapable ? QColor(190, 0, 0)
                                                                : QColor(Qt::darkGray));
  La_StudyNote->setText(FFigures.FewValues ? q(textid::kStudyFewValues) : QString());
  FChart->Update(FValues, FFigures, FInputs);
  FChart->Replot();
}

void TGaugeStudyPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FOpened = true;
  Show();
}

}  // namespace pzam::analysis
