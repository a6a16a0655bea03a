// The type 1 study page on the offscreen platform: T following the tolerance in force, the
// figures and their reasons as shown, the refusal of bad inputs, the chart's lines, the page
// following the analysis window's values; and the report's study page read back with pdftotext.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdio>

#include "PdfTools.h"
#include "WindowsFixture.h"
#include "analysis/ui/Analysis.h"
#include "analysis/ui/GaugeStudyChart.h"
#include "analysis/ui/GaugeStudyPage.h"
#include "analysis/ui/Report.h"
#include "config/Language.h"

namespace pzam::test {
namespace {

using analysis::TGaugeStudyPage;
using analysis::TTolerance;

// Texts are their ids, so a test sees which text a control shows.
std::string Id(int id) {
  return std::to_string(id);
}

// 10 + d/1000 with d = -2..2 cycling: x-bar 10, s = 0.00144338 (n = 25).
std::vector<double> FiveLevels(int n) {
  std::vector<double> values;
  for (int i = 0; i < n; ++i) values.push_back(10 + (i % 5 - 2) / 1000.0);
  return values;
}

// Rows of the figures table, in TStudyRow order.
enum { kN, kMean, kS, kBias, kCg, kCgk, kT, kP, kResolution, kShare };

class GaugeStudyPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Page.SetTextSource(&Id);
    Page.Retranslate();
    Page.show();
  }
  QString Value(int row) const { return Page.Tb_Study->item(row, 1)->text(); }
  QString Remark(int row) const { return Page.Tb_Study->item(row, 2)->text(); }
  static void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    if (*text == '\0') {
      QTest::keyClick(field, Qt::Key_Delete);
    } else {
      QTest::keyClicks(field, text);
    }
  }

  TGaugeStudyPage Page;
};

TEST_F(GaugeStudyPageTest, ToleranceFollowsTheLimitsUntilTyped) {
  Page.SetRun(FiveLevels(25), TTolerance{std::nullopt, 12.335, 12.355});
  EXPECT_EQ(Page.Ed_StudyTolerance->text(), QString("0,02"));
  EXPECT_NEAR(*Page.Inputs().Tolerance, 0.02, 1e-12);
  EXPECT_EQ(Page.La_StudyToleranceReason->text(), QString("9338"));
  Page.SetRun(FiveLevels(25), TTolerance{std::nullopt, 9.95, 10.05});
  EXPECT_EQ(Page.Ed_StudyTolerance->text(), QString("0,1"));
  // One-sided: no T.
  Page.SetRun(FiveLevels(25), TTolerance{std::nullopt, std::nullopt, 10.05});
  EXPECT_EQ(Page.Ed_StudyTolerance->text(), QString());
  EXPECT_FALSE(Page.Inputs().Tolerance.has_value());
  // The operator's own T stays when the limits change.
  Type(Page.Ed_StudyTolerance, "0,08");
  Page.SetRun(FiveLevels(25), TTolerance{std::nullopt, 9.9, 10.1});
  EXPECT_EQ(Page.Ed_StudyTolerance->text(), QString("0,08"));
  EXPECT_NEAR(*Page.Inputs().Tolerance, 0.08, 1e-12);
  EXPECT_EQ(Page.La_StudyToleranceReason->text(), QString());
}

TEST_F(GaugeStudyPageTest, FiguresVerdictAndNoteAsShown) {
  Type(Page.Ed_StudyReference, "9,999");
  const struct {
    int N;
    TTolerance Tolerance;
    int L;
    QString Cg, Cgk, Verdict, Note;
  } cases[] = {
      // T 0.1, bias 0.001: Cg 4 / sqrt 3, Cgk 3.6 / sqrt 3.
      {25, {std::nullopt, 9.95, 10.05}, 0, "2,31", "2,08", "9320 9321", ""},
      // L 4: Cg 0.02 / (4 s) = 2 sqrt 3 = 3.46, Cgk 0.009 / (2 s) = 3.12.
      {25, {std::nullopt, 9.95, 10.05}, 1, "3,46", "3,12", "9320 9321", ""},
      // T 0.05: Cg 2 / sqrt 3, Cgk 0.004 / (3 s) = 0.92.
      {25, {std::nullopt, 9.975, 10.025}, 0, "1,15", "0,92", "9320 9322", ""},
      // 24 values (the last +2 left out: x-bar 10 - 0.002 / 24, s 0.00141165) still give
      // figures, with the note: Cg 0.02 / (6 s) = 2.36, Cgk (0.01 - 0.00091667) / (3 s) = 2.14.
      {24, {std::nullopt, 9.95, 10.05}, 0, "2,36", "2,14", "9320 9321", "9324"},
  };
  for (const auto& c : cases) {
    Page.Cb_StudyL->setCurrentIndex(c.L);
    Page.SetRun(FiveLevels(c.N), c.Tolerance);
    EXPECT_EQ(Value(kN), QString::number(c.N));
    EXPECT_EQ(Value(kCg), c.Cg) << c.N;
    EXPECT_EQ(Value(kCgk), c.Cgk) << c.N;
    EXPECT_EQ(Page.La_StudyVerdict->text(), c.Verdict) << c.N;
    EXPECT_EQ(Page.La_StudyNote->text(), c.Note) << c.N;
  }
  Page.Cb_StudyL->setCurrentIndex(0);
  Page.SetRun(FiveLevels(25), {std::nullopt, 9.95, 10.05});
  EXPECT_EQ(Value(kMean), QString("10,00000"));
  EXPECT_EQ(Value(kS), QString("0,00144"));
  EXPECT_EQ(Value(kBias), QString("0,00100"));
  EXPECT_EQ(Value(kT), QString("3,464"));
  EXPECT_EQ(Value(kP), QString("0,0020"));
  EXPECT_EQ(Remark(kP), QString("9337"));  // bias significant
  EXPECT_EQ(Value(kResolution), QString("0,001"));
  EXPECT_EQ(Value(kShare), QString("1,00 %"));
  EXPECT_EQ(Remark(kShare), QString());
  // A resolution above 5 % of T is remarked.
  Type(Page.Ed_StudyTolerance, "0,01");
  EXPECT_EQ(Value(kShare), QString("10,00 %"));
  EXPECT_EQ(Remark(kShare), QString("9336"));
}

TEST_F(GaugeStudyPageTest, EmptyFiguresShowADashAndTheReason) {
  const std::vector<double> equal(30, 10.0);
  const struct {
    const char* Reference;
    std::vector<double> Values;
    TTolerance Tolerance;
    int Row;
    QString Remark;
  } cases[] = {
      {"10", equal, {std::nullopt, 9.95, 10.05}, kCg, "9329"},  // s = 0
      {"10", equal, {std::nullopt, 9.95, 10.05}, kResolution, "9329"},
      {"10", FiveLevels(25), {}, kCg, "9328"},  // no T
      {"10", FiveLevels(25), {}, kShare, "9328"},
      {"", FiveLevels(25), {std::nullopt, 9.95, 10.05}, kBias, "9327"},  // no x_m
      {"", FiveLevels(25), {std::nullopt, 9.95, 10.05}, kCgk, "9327"},
      {"10", {10.0}, {std::nullopt, 9.95, 10.05}, kS, "9326"},  // one value
  };
  for (const auto& c : cases) {
    Type(Page.Ed_StudyReference, c.Reference);
    Page.SetRun(c.Values, c.Tolerance);
    EXPECT_EQ(Value(c.Row), QString("-")) << c.Row;
    EXPECT_EQ(Remark(c.Row), c.Remark) << c.Row;
    EXPECT_EQ(Page.La_StudyVerdict->text(), QString("9320 9323")) << c.Row;
  }
}

TEST_F(GaugeStudyPageTest, BadInputsAreRefusedBesideTheirField) {
  Page.SetRun(FiveLevels(25), {std::nullopt, 9.95, 10.05});
  Type(Page.Ed_StudyReference, "10");
  const struct {
    QLineEdit* Field;
    const char* Text;
    QLabel* Reason;
    QString Expected;
  } cases[] = {
      {Page.Ed_StudyReference, "zehn", Page.La_StudyReferenceReason, "9105"},
      {Page.Ed_StudyTolerance, "0", Page.La_StudyToleranceReason, "9330"},
      {Page.Ed_StudyTolerance, "-0,1", Page.La_StudyToleranceReason, "9330"},
      {Page.Ed_StudyTolerance, "x", Page.La_StudyToleranceReason, "9105"},
      {Page.Ed_StudyK, "0", Page.La_StudyKReason, "9331"},
      {Page.Ed_StudyK, "100,5", Page.La_StudyKReason, "9331"},
      {Page.Ed_StudyK, "", Page.La_StudyKReason, "9331"},
  };
  for (const auto& c : cases) {
    const QString before = c.Field->text();
    Type(c.Field, c.Text);
    EXPECT_EQ(c.Reason->text(), c.Expected) << c.Text;
    EXPECT_FALSE(Page.Ready()) << c.Text;
    Type(c.Field, before.toUtf8().constData());
    EXPECT_EQ(c.Reason->text(), QString()) << c.Text;
    EXPECT_TRUE(Page.Ready()) << c.Text;
  }
  // K 100 is allowed: Cg = 0.1 / (6 s) = 11.55.
  Type(Page.Ed_StudyK, "100");
  EXPECT_EQ(Value(kCg), QString("11,55"));
}

TEST_F(GaugeStudyPageTest, ChartDrawsTheLinesThatAreDefined) {
  const struct {
    const char* Reference;
    TTolerance Tolerance;
    std::vector<double> Values;
    int Lines;
  } cases[] = {
      {"10", {std::nullopt, 9.95, 10.05}, FiveLevels(25), 5},  // x_m, x_m +- K/200 T, mean +- L/2 s
      {"10", {}, FiveLevels(25), 3},                           // no T: no band
      {"", {std::nullopt, 9.95, 10.05}, FiveLevels(25), 2},    // no x_m: the spread only
      {"10", {std::nullopt, 9.95, 10.05}, std::vector<double>(30, 10.0), 3},  // s = 0
  };
  for (const auto& c : cases) {
    Type(Page.Ed_StudyReference, c.Reference);
    Page.SetRun(c.Values, c.Tolerance);
    EXPECT_EQ(Page.Chart().LinesShown(), c.Lines) << c.Reference << " " << c.Values.size();
  }
}

TEST_F(GaugeStudyPageTest, FitsAShopFloorScreen) {
  const QSize least = Page.minimumSizeHint();
  EXPECT_LE(least.width(), 1366 - 16);
  EXPECT_LE(least.height(), 768 - 40 - 40);  // title bar and task bar
  EXPECT_LE(Page.width(), 1366 - 16);
  EXPECT_LE(Page.height(), 768 - 40 - 40);
}

// Bu_Study opens the page over the analysis window's values, and it follows them.
TEST(GaugeStudyInAnalysis, ThePageFollowsTheWindowsValues) {
  TF_Analysis analysis;
  analysis.SetTextSource(&Id);
  analysis.Retranslate();
  analysis.SetToleranceTexts({"", "9,95", "10,05"});
  analysis.show();
  for (double x : FiveLevels(10)) analysis.AddValue(x, "");
  analysis.UpdateNow();
  EXPECT_FALSE(analysis.Study().isVisible());
  analysis.Bu_Study->click();
  ASSERT_TRUE(analysis.Study().isVisible());
  EXPECT_EQ(analysis.Study().Figures().N, 10);
  EXPECT_EQ(analysis.Study().Ed_StudyTolerance->text(), QString("0,1"));
  for (double x : FiveLevels(15)) analysis.AddValue(x, "");
  analysis.UpdateNow();
  EXPECT_EQ(analysis.Study().Figures().N, 25);
  EXPECT_EQ(analysis.Study().Tb_Study->item(kN, 1)->text(), QString("25"));
  analysis.Clear();
  analysis.UpdateNow();
  EXPECT_EQ(analysis.Study().Figures().N, 0);
}

class GaugeStudyReportTest : public WindowsTest {};

// With a study set up the report ends with its page: the inputs, the figures, the verdict.
TEST_F(GaugeStudyReportTest, TheLastPageHoldsTheStudy) {
  const std::string path = ProgramDir() + "lng_english.lng";
  const auto english = [path](int id) { return LanguageText(path, "english", id); };
  analysis::TReportData data;
  data.ProgramText = "P-ZAM";
  data.Batch = "Gauge-7";
  data.Date = "2026-12-10";
  data.RecordFile = "20261210_80000_Gauge-7.csv";
  data.DecimalSeparator = '.';
  data.Tolerance = {std::nullopt, 9.95, 10.05};
  data.Values = FiveLevels(24);
  const auto pdf = Dir / "study.pdf";
  std::string error;
  ASSERT_TRUE(analysis::WriteReport(pdf.string(), data, english, error)) << error;
  const std::string pages = ShellOutput("pdfinfo '" + pdf.string() + "' | grep Pages:");
  data.Study = analysis::TStudyInputs{9.999, 0.1, 20, 6};
  ASSERT_TRUE(analysis::WriteReport(pdf.string(), data, english, error)) << error;
  const std::string morePages = ShellOutput("pdfinfo '" + pdf.string() + "' | grep Pages:");
  EXPECT_EQ(pages, "Pages:           2\n");
  EXPECT_EQ(morePages, "Pages:           3\n");
  const std::string last = ShellOutput("pdftotext -layout -f 3 -l 3 '" + pdf.string() + "' - 2>&1");
  for (const char* part : {"Type 1 gauge study", "Gauge-7", "Reference value xm", "9.999", "0.100",
                           "Share K of T in percent", "20", "Cg", "2.36", "2.14", "0.00092",
                           "Fewer than 25 values", "capable (Cg and Cgk ≥ 1.33)", "Page 3 / 3"}) {
    EXPECT_NE(last.find(part), std::string::npos) << part << "\n" << last;
  }
}

}  // namespace
}  // namespace pzam::test
