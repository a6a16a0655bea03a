// Pictures of the analysis window for the documentation, German and English: a run of 50 values
// in operating mode 0 with a few outside the tolerance. Part of ui_screenshots.
#include <QApplication>
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
