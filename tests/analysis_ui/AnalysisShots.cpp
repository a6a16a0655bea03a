// Pictures of the analysis window for the documentation, German and English: a run of 50 values
// in operating mode 0 with a few outside the tolerance. Part of ui_screenshots.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/Charts.h"
#include "ui/ShotWindows.h"

namespace {

// 50 values about 12.345 on a 0.001 grid; values 17, 31 and 44 lie outside 12.335..12.355.
std::vector<int> Thousandths() {
  std::vector<int> out;
  for (int i = 1; i <= 50; ++i) {
    const double wave = 4.0 * std::sin(i * 0.9) + 2.5 * std::sin(i * 2.3 + 1.0);
    out.push_back(12345 + static_cast<int>(std::lround(wave)));
  }
  out[16] = 12357;
  out[30] = 12332;
  out[43] = 12358;
  return out;
}

}  // namespace

bool ShootAnalysis(const std::string& language, const QString& outDir) {
  pzam::test::TShotWindows windows(
      "pzam_analysis_shots_" + language,
      "[Select]\nReqMode=0\nFileMode=2\n[Language]\nLastLanguage=" + language +
          "\n[Tolerance]\nNominal=12,345\nLower=12,335\nUpper=12,355\n");
  pzam::TF_Main& main = windows.Main();
  pzam::comm::TFakeCommApi& comm = windows.Comm();
  main.Bu_AnalysisClick();
  pzam::TF_Analysis& analysis = main.Analysis();
  analysis.resize(1240, 860);
  main.Bu_MeasInit->click();
  int n = 0;
  for (int v : Thousandths()) {
    char telegram[64];
    std::snprintf(telegram, sizeof telegram,
                  "@ANZ     %03d@IST  %d,%03d@MWT  12,345@STW   0,000\x17", ++n, v / 1000,
                  v % 1000);
    comm.Receive(telegram);
    QElapsedTimer timer;
    timer.start();
    while (analysis.Values().size() < static_cast<size_t>(n) && timer.elapsed() < 5000) {
      QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
  }
  main.Bu_MeasStop->click();
  analysis.Bu_ReportClick();
  analysis.UpdateNow();
  analysis.Charts().Replot(false);
  QApplication::processEvents();
  const QString suffix = language == "deutsch" ? "de" : "en";
  const bool ok = n == 50 && analysis.Values().size() == 50 &&
                  analysis.grab().save(outDir + "/analysis_" + suffix + ".png");
  analysis.hide();
  return ok;
}

// A plan run of three characteristics and 50 parts (parts 12 and 37 NOK, the last one ended
// inside): the window with the chooser on the length. Its report goes to the temporary folder
// (pzam_report_plan.pdf), for a picture of a page made with a PDF renderer.
bool ShootAnalysisPlan(const QString& outDir) {
  pzam::test::TShotWindows windows(
      "pzam_analysis_plan_shots",
      "[Select]\nReqMode=0\nFileMode=2\n[Language]\nLastLanguage=deutsch\n");
  pzam::TF_Main& main = windows.Main();
  main.Bu_AnalysisClick();
  pzam::TF_Analysis& analysis = main.Analysis();
  analysis.resize(1350, 688);  // a 1366 x 768 screen less task bar and title
  analysis.Clear();
  analysis.SetCharacteristics({{"Durchmesser", {12.0, 11.98, 12.02}, "mm"},
                               {"Länge", {40.0, 39.9, 40.1}, "mm"},
                               {"Rundlauf", {std::nullopt, std::nullopt, 0.02}, "mm"}});
  const int parts = 50;
  for (int p = 1; p <= parts; ++p) {
    const double x[3] = {12.0 + 0.006 * std::sin(p * 0.9) + (p == 12 ? 0.03 : 0.0),
                         40.0 + 0.04 * std::sin(p * 1.7 + 1.0) - (p == 37 ? 0.16 : 0.0),
                         0.008 + 0.004 * std::sin(p * 2.3) * std::sin(p * 2.3)};
    const int count = p == parts ? 1 : 3;
    char time[16], id[16];
    std::snprintf(time, sizeof time, "09:%02d:%02d", 5 + p / 3, (p * 17) % 60);
    std::snprintf(id, sizeof id, "W20-%05d", 1000 + p);
    pzam::TAnalysisPart part{p, id, time, p != parts, true, {}};
    for (int c = 0; c < 3; ++c) {
      if (c >= count) {
        part.Values.push_back(std::nullopt);
        continue;
      }
      const double rounded = std::round(x[c] * 1000) / 1000;
      analysis.AddValue(c, rounded, time);
      char sent[16];
      std::snprintf(sent, sizeof sent, "%+.3f", rounded);
      std::string text = sent;
      text[text.find('.')] = ',';
      part.Values.push_back(text);
      part.Ok = part.Ok && pzam::analysis::Judge(rounded, analysis.ToleranceOf(c)) ==
                               pzam::analysis::TZone::Inside;
    }
    analysis.AddPart(part);
  }
  analysis.Choose(1);
  const std::string pdf = (QDir::tempPath() + "/pzam_report_plan.pdf").toStdString();
  analysis.RunInfo = [&main, pdf] {
    pzam::TAnalysisRun run;
    run.ProgramText = main.LanguageText(1000);
    run.Batch = "4711";
    run.Date = "2026-12-08";
    run.Mode = "Sylvac duplex / Quorvant";
    run.Port = "COM1, COM3";
    run.RecordFile = "20261208_90503_4711_1.csv ...";
    run.PlanName = "Welle 20";
    run.PartNumber = "4711-020";
    run.PartName = "Antriebswelle";
    run.ReportPath = pdf;
    return run;
  };
  analysis.Bu_ReportClick();
  analysis.UpdateNow();
  analysis.Charts().Replot(false);
  QApplication::processEvents();
  const bool ok = analysis.Ed_Report->text().toStdString() == pdf &&
                  analysis.grab().save(outDir + "/analysis_plan.png");
  analysis.hide();
  return ok;
}
