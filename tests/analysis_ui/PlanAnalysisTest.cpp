// The analysis window and the report in a plan run: the chooser is there only with a plan, each
// characteristic shows its own figures and limits, a run without a plan afterwards looks as
// before; the report has a page per characteristic and a part list over as many pages as it needs.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <cstdio>
#include <regex>

#include "PdfTools.h"
#include "WindowsFixture.h"
#include "analysis/ui/Analysis.h"
#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/GaugeStudyPage.h"
#include "analysis/ui/Report.h"
#include "config/Language.h"

namespace pzam::test {
namespace {

// The text of pages first to last, the columns' blanks reduced to one.
std::string SqueezedText(const std::filesystem::path& pdf, int first, int last) {
  const std::string text = PdfText(pdf, first, last);
  std::string squeezed;
  for (char c : text) {
    if (c != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += c;
  }
  return squeezed;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = 0; (at = text.find(part, at)) != std::string::npos; at += part.size()) ++n;
  return n;
}

// Three characteristics: two-sided, one-sided (upper only) and without a tolerance.
std::vector<TAnalysisCharacteristic> Plan() {
  return {{"Durchmesser", {12.0, 11.98, 12.02}, "mm"},
          {"Länge", {std::nullopt, std::nullopt, 40.5}, "mm"},
          {"Rundlauf", {}, "µm"}};
}

// Values per characteristic: diameter 5 with one below and one above, length 4 with one above,
// runout 3.
const std::vector<std::vector<double>> kValues = {
    {12.001, 11.975, 12.010, 12.030, 11.990}, {40.1, 40.6, 40.2, 40.3}, {3.0, 5.0, 4.0}};

class PlanAnalysisTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    const std::string path = ProgramDir() + "lng_deutsch.lng";
    German = [path](int id) { return LanguageText(path, "deutsch", id); };
    Window = std::make_unique<TF_Analysis>();
    Window->SetTextSource(German);
    Window->Retranslate();
    Window->SetToleranceTexts({"5", "4,9", "5,1"});
    Window->show();
  }
  void TearDown() override {
    Window.reset();
    WindowsTest::TearDown();
  }
  void Fill() {
    Window->SetCharacteristics(Plan());
    for (std::size_t c = 0; c < kValues.size(); ++c) {
      for (double x : kValues[c]) Window->AddValue(static_cast<int>(c), x, "08:00:00");
    }
    Window->UpdateNow();
  }
  QString Cell(int row) const { return Window->Tb_Figures->item(row, 1)->text(); }
  std::function<std::string(int)> German;
  std::unique_ptr<TF_Analysis> Window;
};

TEST_F(PlanAnalysisTest, EachCharacteristicShowsItsOwnFiguresAndLimits) {
  EXPECT_FALSE(Window->La_Characteristic->isVisible());
  EXPECT_FALSE(Window->Cb_Characteristic->isVisible());
  Window->AddValue(5.0, "07:00:00");  // a run without a plan before
  Fill();
  EXPECT_TRUE(Window->Cb_Characteristic->isVisible());
  EXPECT_TRUE(Window->La_Characteristic->isVisible());
  EXPECT_EQ(Window->La_Characteristic->text().toStdString(), "Merkmal");
  ASSERT_EQ(Window->Cb_Characteristic->count(), 3);
  EXPECT_EQ(Window->Cb_Characteristic->itemText(1).toStdString(), "2  Länge [mm]");
  std::vector<int> told;
  Window->OnChosen = [&told](int c) { told.push_back(c); };
  struct {
    int characteristic;
    const char *nominal, *lower, *upper;
    int n;
    const char *mean, *below, *inside, *above;
  } cases[] = {
      {0, "12,00", "11,98", "12,02", 5, "12,00120", "1", "3", "1"},
      {1, "", "", "40,5", 4, "40,300", "0", "3", "1"},
      {2, "", "", "", 3, "4,00", "-", "-", "-"},  // no tolerance: no count against one
      {0, "12,00", "11,98", "12,02", 5, "12,00120", "1", "3", "1"},
  };
  for (const auto& c : cases) {
    Window->Cb_Characteristic->setCurrentIndex(c.characteristic);  // as the operator chooses
    Window->UpdateNow();
    EXPECT_EQ(Window->Chosen(), c.characteristic);
    EXPECT_EQ(Window->Values().size(), kValues[c.characteristic].size());
    EXPECT_EQ(Window->Figures().N, c.n) << c.characteristic;
    EXPECT_EQ(Window->Ed_Nominal->text().toStdString(), c.nominal) << c.characteristic;
    EXPECT_EQ(Window->Ed_Lower->text().toStdString(), c.lower) << c.characteristic;
    EXPECT_EQ(Window->Ed_Upper->text().toStdString(), c.upper) << c.characteristic;
    EXPECT_EQ(Cell(0).toStdString(), std::to_string(c.n)) << c.characteristic;
    EXPECT_EQ(Cell(1).toStdString(), c.mean) << c.characteristic;
    EXPECT_EQ(Cell(14).toStdString(), c.below) << c.characteristic;
    EXPECT_EQ(Cell(15).toStdString(), c.inside) << c.characteristic;
    EXPECT_EQ(Cell(16).toStdString(), c.above) << c.characteristic;
    for (QLineEdit* field : {Window->Ed_Nominal, Window->Ed_Lower, Window->Ed_Upper}) {
      EXPECT_TRUE(field->isReadOnly());
    }
    EXPECT_EQ(Window->ToleranceOf(c.characteristic).Upper,
              Plan()[static_cast<std::size_t>(c.characteristic)].Tolerance.Upper);
  }
  EXPECT_EQ(told, (std::vector<int>{1, 2, 0}));
  // The plan's limits are shown, not taken: those of the run without a plan stay in force.
  EXPECT_EQ(Window->Tolerance().Lower, 4.9);
  EXPECT_EQ(Window->ToleranceTexts().Upper, "5,1");
  EXPECT_EQ(Window->ToleranceOf(-1).Upper, 5.1);
  EXPECT_EQ(Window->La_NominalReason->text(), QString());
  // The end of the run does not make the plan's limits editable.
  Window->SetLimitsEditable(true);
  EXPECT_TRUE(Window->Ed_Upper->isReadOnly());
  // The plan run took none of the values before it.
  Window->SetCharacteristics({});
  Window->UpdateNow();
  EXPECT_EQ(Window->Figures().N, 0);
  EXPECT_FALSE(Window->Bu_Report->isEnabled());
}

TEST_F(PlanAnalysisTest, ARunWithoutAPlanAfterAPlanRunLooksAsBefore) {
  const auto looks = [this] {
    QApplication::processEvents();  // the layout settles
    std::string s = Window->Ed_Nominal->text().toStdString() + "|" +
                    Window->Ed_Lower->text().toStdString() + "|" +
                    Window->Ed_Upper->text().toStdString() + "|" +
                    (Window->Ed_Upper->isReadOnly() ? "ro" : "rw") + "|" +
                    (Window->Cb_Characteristic->isVisible() ? "chooser" : "") + "|" +
                    std::to_string(Window->Ed_Nominal->x());
    for (int r = 0; r < Window->Tb_Figures->rowCount(); ++r) s += "|" + Cell(r).toStdString();
    return s;
  };
  struct {
    const char* name;
    std::function<void()> end;  // how the plan run is left
  } cases[] = {
      {"Clear", [this] { Window->Clear(); }},
      {"no characteristics", [this] { Window->SetCharacteristics({}); }},
  };
  for (const auto& c : cases) {
    Window->Clear();
    Window->AddValue(5.0, "07:00:00");
    Window->AddValue(5.2, "07:00:01");
    Window->UpdateNow();
    const std::string before = looks();
    Window->Clear();

    Fill();
    Window->SetToleranceTexts({"5", "4,8", "5,1"});  // the settings of the run without a plan
    EXPECT_EQ(Window->Ed_Lower->text().toStdString(), "11,98") << c.name;
    c.end();
    Window->SetToleranceTexts({"5", "4,9", "5,1"});
    Window->AddValue(5.0, "07:00:00");
    Window->AddValue(5.2, "07:00:01");
    Window->UpdateNow();
    EXPECT_EQ(looks(), before) << c.name;
    EXPECT_EQ(Window->Chosen(), 0);
    EXPECT_EQ(Window->Values().size(), 2u) << c.name;
    EXPECT_EQ(Window->Figures().AboveUsl, 1) << c.name;
    // A plan value without a plan goes nowhere.
    Window->AddValue(0, 1.0, "07:00:02");
    Window->UpdateNow();
    EXPECT_EQ(Window->Figures().N, 2) << c.name;
  }
}

// Parts 1 to n: part 3 NOK (its diameter above), the last one incomplete.
std::vector<analysis::TReportPart> Parts(int n) {
  std::vector<analysis::TReportPart> parts;
  for (int i = 1; i <= n; ++i) {
    char id[16], time[16];
    std::snprintf(id, sizeof id, "A-%04d", i);
    std::snprintf(time, sizeof time, "08:%02d:%02d", i / 60, i % 60);
    analysis::TReportPart p{i, id, time, i < n, i != 3, {"+12,001", "+40,100", "+3,0"}};
    if (i == 3) p.Values[0] = "+12,030";
    if (i == n) p.Values = {"+11,999", std::nullopt, std::nullopt};
    parts.push_back(p);
  }
  return parts;
}

analysis::TReportData PlanReport(int characteristics, int parts) {
  analysis::TReportData data;
  data.ProgramText = "P-ZAM";
  data.Batch = "L-17";
  data.PlanName = "Welle 20";
  data.PartNumber = "4711-020";
  data.PartName = "Antriebswelle";
  const auto plan = Plan();
  for (int c = 0; c < characteristics; ++c) {
    const auto& p = plan[static_cast<std::size_t>(c % 3)];
    data.Characteristics.push_back({c < 3 ? p.Name : p.Name + std::to_string(c + 1), p.Tolerance,
                                    p.Unit, kValues[static_cast<std::size_t>(c % 3)],
                                    std::vector<std::string>(kValues[c % 3].size(), "08:00:01")});
  }
  data.Parts = Parts(parts);
  for (auto& part : data.Parts) part.Values.resize(static_cast<std::size_t>(characteristics));
  return data;
}

TEST_F(PlanAnalysisTest, TheReportHasAPagePerCharacteristicAndThePartList) {
  struct {
    int characteristics, parts;
    int pages;      // 1 + characteristics + part list pages
    int listPages;  // of which the part list
  } cases[] = {
      {3, 50, 5, 1},
      {3, 160, 7, 3},  // a long list goes over pages
      {1, 0, 3, 1},    // a list without parts still says so
      {7, 10, 10, 2},  // more characteristics than fit side by side: the list again for the rest
  };
  for (const auto& c : cases) {
    const auto pdf = Dir / ("plan" + std::to_string(c.parts) + ".pdf");
    std::string error;
    ASSERT_TRUE(
        analysis::WriteReport(pdf.string(), PlanReport(c.characteristics, c.parts), German, error))
        << error;
    ASSERT_EQ(PdfPages(pdf), c.pages) << c.parts;
    const std::string first = SqueezedText(pdf, 1, 1);
    for (const char* part : {"Prüfplan Welle 20", "Teilenummer 4711-020",
                             "Teilebezeichnung Antriebswelle", "Merkmale des Prüfplans"}) {
      EXPECT_NE(first.find(part), std::string::npos) << part << "\n" << first;
    }
    // Each characteristic's page: its title, limits and figures.
    for (int k = 0; k < std::min(3, c.characteristics); ++k) {
      const std::string page = SqueezedText(pdf, 2 + k, 2 + k);
      const char* expected[3][3] = {{"Merkmal 1: Durchmesser", "Anzahl n 5", "über OGW 1 20,0 %"},
                                    {"Merkmal 2: Länge", "Anzahl n 4", "über OGW 1 25,0 %"},
                                    {"Merkmal 3: Rundlauf", "Anzahl n 3", "über OGW - -"}};
      for (const char* part : expected[k]) {
        EXPECT_NE(page.find(part), std::string::npos) << part << "\n" << page;
      }
    }
    // The part list: the heading on every page, every part once.
    const int listFirst = c.pages - c.listPages + 1;
    const std::string list = SqueezedText(pdf, listFirst, c.pages);
    EXPECT_EQ(Count(list, "Teileliste"), c.listPages) << list;
    EXPECT_EQ(Count(list, "Teil Kennung Uhrzeit Ergebnis"), c.listPages);
    EXPECT_EQ(Count(list, "A-0"), c.parts * (c.characteristics > 5 ? 2 : 1));
    if (c.parts >= 50) {
      for (const char* row : {"1 A-0001 08:00:01 i.O. +12,001 +40,100 +3,0",
                              "3 A-0003 08:00:03 n.i.O. +12,030 +40,100 +3,0"}) {
        EXPECT_NE(list.find(row), std::string::npos) << row << "\n" << list;
      }
      char last[128];
      std::snprintf(last, sizeof last, "%d A-%04d 08:%02d:%02d unvollständig +11,999 - -", c.parts,
                    c.parts, c.parts / 60, c.parts % 60);
      EXPECT_NE(list.find(last), std::string::npos) << last << "\n" << list;
      EXPECT_NE(first.find("Teile " + std::to_string(c.parts) + " i.O. " +
                           std::to_string(c.parts - 2) + " n.i.O. 1 unvollständig 1"),
                std::string::npos)
          << first;
    }
  }
}

// The study page of a plan run takes the chosen characteristic's values and names it.
TEST_F(PlanAnalysisTest, TheStudyPageFollowsTheChosenCharacteristic) {
  Fill();
  const struct {
    int chosen;
    int n;
    const char* title;
  } cases[] = {{1, 4, "Messmittelfähigkeit (Typ-1-Studie) \u2013 2  Länge [mm]"},
               {2, 3, "Messmittelfähigkeit (Typ-1-Studie) \u2013 3  Rundlauf [µm]"}};
  for (const auto& c : cases) {
    Window->Cb_Characteristic->setCurrentIndex(c.chosen);
    Window->Bu_Study->click();
    EXPECT_EQ(Window->Study().Figures().N, c.n) << c.chosen;
    EXPECT_EQ(Window->Study().windowTitle().toStdString(), c.title);
  }
  Window->Study().hide();
  Window->SetCharacteristics({});
  Window->UpdateNow();
  EXPECT_EQ(Window->Study().windowTitle().toStdString(), "Messmittelfähigkeit (Typ-1-Studie)");
}

// A type 1 study set up in a plan run: its page comes last, of the characteristic chosen.
TEST_F(PlanAnalysisTest, TheStudyPageIsOfTheChosenCharacteristic) {
  const struct {
    int chosen;
    const char* title;
    const char* count;
  } cases[] = {{0, "Merkmal 1: Durchmesser", "5"}, {2, "Merkmal 3: Rundlauf", "3"}};
  for (const auto& c : cases) {
    analysis::TReportData data = PlanReport(3, 50);
    data.Study = analysis::TStudyInputs{12, 0.1, 20, 6};
    data.StudyCharacteristic = c.chosen;
    const auto pdf = Dir / "study.pdf";
    std::string error;
    ASSERT_TRUE(analysis::WriteReport(pdf.string(), data, German, error)) << error;
    ASSERT_EQ(PdfPages(pdf), 6);
    const std::string last = SqueezedText(pdf, 6, 6);
    for (const std::string& part :
         {std::string("Typ-1-Studie"), std::string(c.title),
          "Anzahl der Werte n " + std::string(c.count), std::string("Seite 6 / 6")})
      EXPECT_NE(last.find(part), std::string::npos) << part << "\n" << last;
  }
}

TEST_F(PlanAnalysisTest, TheReportButtonWritesThePlanRunsReport) {
  Fill();
  Window->AddPart({1, "A-1", "08:00:05", true, false, {"+12,030", "+40,1", "+3,0"}});
  Window->AddPart({2, "", "08:00:09", false, false, {"+12,001", std::nullopt, std::nullopt}});
  const auto pdf = Dir / "button.pdf";
  Window->RunInfo = [&pdf] {
    TAnalysisRun run;
    run.PlanName = "Welle 20";
    run.ReportPath = pdf.string();
    return run;
  };
  Window->Bu_ReportClick();
  EXPECT_EQ(Window->Ed_Report->text().toStdString(), pdf.string());
  ASSERT_EQ(PdfPages(pdf), 5);
  EXPECT_NE(SqueezedText(pdf, 3, 3).find("Anzahl n 4"), std::string::npos);
  const std::string list = SqueezedText(pdf, 5, 5);
  EXPECT_NE(list.find("1 A-1 08:00:05 n.i.O. +12,030 +40,1 +3,0"), std::string::npos) << list;
  EXPECT_NE(list.find("2 - 08:00:09 unvollständig +12,001 - -"), std::string::npos) << list;
}

}  // namespace
}  // namespace pzam::test
