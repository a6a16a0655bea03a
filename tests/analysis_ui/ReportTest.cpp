// The inspection report: its text (read back with pdftotext) holds the run's particulars, the
// figures computed by hand and every value with its mark; a 9999-value run stays a short
// readable list; Bu_Report names the file after the record file.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdio>
#include <regex>

#include "PdfTools.h"
#include "WindowsFixture.h"
#include "analysis/ui/Analysis.h"
#include "analysis/ui/Report.h"
#include "config/Language.h"
#include "support/RunTool.h"

namespace pzam::test {
namespace {

class ReportTest : public WindowsTest {
 protected:
  std::function<std::string(int)> German() const {
    const std::string path = ProgramDir() + "lng_deutsch.lng";
    return [path](int id) { return LanguageText(path, "deutsch", id); };
  }
};

TEST_F(ReportTest, TheTextHoldsTheParticularsTheFiguresAndEveryValue) {
  analysis::TReportData data;
  data.ProgramText = "P-ZAM Messwerterfassung V1.10 Build 3";
  data.Batch = "Los-4711";
  data.Date = "2026-12-08";
  data.Mode = "Quorvant --> x (+1)";
  data.Port = "Com5";
  data.RecordFile = "20261208_90503_Los-4711.csv";
  data.Tolerance = {std::nullopt, 9.95, 10.25};
  data.Values = {10.0, 10.2, 9.9, 10.1, 10.3};
  data.Times = {"09:05:03", "09:05:04", "09:05:05", "09:05:06", "09:05:07"};
  const auto pdf = Dir / "report.pdf";
  std::string error;
  ASSERT_TRUE(analysis::WriteReport(pdf.string(), data, German(), error)) << error;
  ASSERT_EQ(PdfPages(pdf), 2);
  const std::string first = PdfText(pdf, 1, 1);
  for (const char* part : {"Prüfbericht", "P-ZAM Messwerterfassung V1.10 Build 3", "Los-4711",
                           "2026-12-08", "09:05:03", "09:05:07", "Quorvant --> x (+1)", "Com5",
                           "20261208_90503_Los-4711.csv", "9,95", "10,25"}) {
    EXPECT_NE(first.find(part), std::string::npos) << part << "\n" << first;
  }
  // Figures by hand: mean 10.1, s = sqrt(0.1 / 4), MR-bar = 0.9 / 4, sigma within = MR-bar /
  // 1.128, the indices over the tolerance 0.3 wide centred on the mean.
  const std::pair<const char*, const char*> figures[] = {
      {"Anzahl n", "5"},
      {"Mittelwert x̄", "10,100"},
      {"Standardabweichung s", "0,158"},
      {"mittlere Spannweite MR̄", "0,225"},
      {"σw = MR̄ / 1,128", "0,199"},
      {"obere Eingriffsgrenze x̄ + 3σw", "10,698"},
      {"untere Eingriffsgrenze x̄ − 3σw", "9,502"},
      {"obere Grenze MR", "0,735"},
      {"Cp", "0,25"},
      {"Cpk", "0,25"},
      {"Pp", "0,32"},
      {"Ppk", "0,32"},
      {"unter UGW", "1 20,0 %"},
      {"innerhalb der Toleranz", "3 60,0 %"},
      {"über OGW", "1 20,0 %"},
      {"Regel 1: jenseits 3σw", "0 0,0 %"},
  };
  for (const auto& [name, value] : figures) {
    const std::size_t row = first.find(std::string(name) + " ");
    ASSERT_NE(row, std::string::npos) << name << "\n" << first;
    std::string line;  // the columns' blanks reduced to one
    for (std::size_t i = row; i < first.size() && first[i] != '\n'; ++i) {
      if (first[i] != ' ' || line.back() != ' ') line += first[i];
    }
    EXPECT_TRUE(line.ends_with(value)) << line;
  }
  const std::string list = PdfText(pdf, 2, 2);
  for (const char* row :
       {"1 09:05:03 10,0 i.O.", "3 09:05:05 9,9 unter UGW", "5 09:05:07 10,3 über OGW"}) {
    std::string squeezed;  // the columns' blanks reduced to one
    for (char c : list) {
      if (c != ' ' || (!squeezed.empty() && squeezed.back() != ' ')) squeezed += c;
    }
    EXPECT_NE(squeezed.find(row), std::string::npos) << row << "\n" << list;
  }
}

TEST_F(ReportTest, NineThousandNineHundredNinetyNineValuesStayAShortList) {
  analysis::TReportData data;
  data.Batch = "B";
  for (int i = 0; i < 9999; ++i) {
    data.Values.push_back(12.3 + (i * 7919 % 23) * 0.001);
    data.Times.push_back("10:00:00");
  }
  data.Tolerance = {12.31, 12.305, 12.315};
  const auto pdf = Dir / "long.pdf";
  std::string error;
  ASSERT_TRUE(analysis::WriteReport(pdf.string(), data, German(), error)) << error;
  const int pages = PdfPages(pdf);
  EXPECT_GE(pages, 30);
  EXPECT_LE(pages, 60);
  const std::string last = PdfText(pdf, pages, pages);
  EXPECT_NE(last.find("9999 10:00:00"), std::string::npos) << last;
  EXPECT_NE(last.find("Seite " + std::to_string(pages) + " / " + std::to_string(pages)),
            std::string::npos);
  // Every value is listed exactly once.
  const std::string all = PdfText(pdf, 2);
  int rows = 0;
  for (std::size_t at = 0; (at = all.find("10:00:00", at)) != std::string::npos; ++at) ++rows;
  EXPECT_EQ(rows, 9999);
}

TEST_F(ReportTest, AFileThatCannotBeWrittenGivesTheReason) {
  analysis::TReportData data;
  data.Values = {1.0};
  std::string error;
  const std::string path = (Dir / "missing" / "r.pdf").string();
  EXPECT_FALSE(analysis::WriteReport(path, data, German(), error));
  EXPECT_NE(error.find(path), std::string::npos) << error;
}

// pzam-tool spc --report: the window library's writer, headless, in the C locale's separator.
TEST_F(ReportTest, PzamToolWritesTheReportWithoutADisplay) {
  WriteFile(Dir / "values.txt", "10.0\n10.2\n9.9\n10.1\n10.3\n");
  const TToolRun run =
      RunTool("spc --lsl 9.95 --usl 10.25 --report r.pdf values.txt", Dir.string());
  ASSERT_EQ(run.Status, 0) << run.Err;
  EXPECT_NE(run.Out.find("mean=10.1\n"), std::string::npos) << run.Out;
  const std::string text = PdfText(Dir / "r.pdf", 1, 1);
  for (const char* part :
       {"values.txt", "9.95", "10.25", "10.100", "0.158", "10.698", "0.25", "0.32", "20.0 %"}) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
  EXPECT_EQ(PdfPages(Dir / "r.pdf"), 2);
}

// From a record file the report takes the batch number, the date of the file's name and each
// value's time; the mode and the port are not in the file.
TEST_F(ReportTest, PzamToolTakesTheRunsParticularsFromARecordFile) {
  const std::string name = "20261208_90503_Los-4711.csv";
  WriteFile(Dir / name,
            "Charge;Uhrzeit;Nr.;Messwert;Mittelwert;Standardabw.;Maximum;Minimum\n\r"
            "Los-4711;09:05:03;001;  10.000;x;x;x;x\n\r"
            "Los-4711;09:05:09;002;  10.200;x;x;x;x\n\r");
  const TToolRun run = RunTool("spc --report r.pdf " + name, Dir.string());
  ASSERT_EQ(run.Status, 0) << run.Err;
  const std::string first = PdfText(Dir / "r.pdf", 1, 1);
  for (const char* line : {"Charge +Los-4711", "Datum +2026-12-08", "erster Messwert +09:05:03",
                           "letzter Messwert +09:05:09", "Betriebsart +-", "Schnittstelle +-"}) {
    EXPECT_TRUE(std::regex_search(first, std::regex(line))) << line << "\n" << first;
  }
  const std::string list = PdfText(Dir / "r.pdf", 2, 2);
  EXPECT_TRUE(std::regex_search(list, std::regex("1 +09:05:03 +10.0 ")));
  EXPECT_TRUE(std::regex_search(list, std::regex("2 +09:05:09 +10.2 ")));
}

TEST_F(ReportTest, ReportButtonWritesBesideTheRecordFileUnderItsName) {
  Clock = [] { return TDateTime{2026, 12, 8, 9, 5, 3}; };
  struct {
    const char* fileMode;
    const char* pdf;
  } cases[] = {{"FileMode=2", "20261208_90503_A7.pdf"},
               {"FileMode=1", "20261208_90503_A7.pdf"},
               {"FileMode=0", "20261208_90503_A7.pdf"}};
  for (const auto& c : cases) {
    Start(SettingsText(std::string("ReqMode=2\n") + c.fileMode, "deutsch"));
    Main->Ed_CharNum->setText("A7");
    Main->Bu_MeasInit->click();
    Comm.Receive("+1,250\r");
    AwaitCount("001");
    Main->Bu_MeasStop->click();
    Main->Analysis().Bu_ReportClick();
    const auto pdf = Dir / "run" / c.pdf;
    ASSERT_TRUE(std::filesystem::exists(pdf)) << c.fileMode;
    EXPECT_EQ(Main->Analysis().Ed_Report->text().toStdString(),
              std::filesystem::absolute(pdf).string());
    EXPECT_EQ(Main->Analysis().La_Report->text().toStdString(), Text(9108));
    const std::string text = PdfText(pdf, 1, 1);
    EXPECT_NE(text.find("Sylvac duplex"), std::string::npos) << text;
    EXPECT_NE(text.find(c.fileMode[9] == '0' ? Text(9001) : std::string("20261208_90503_A7.")),
              std::string::npos)
        << text;
    std::filesystem::remove(pdf);
    Config.reset();
    Main.reset();
  }
}

}  // namespace
}  // namespace pzam::test
