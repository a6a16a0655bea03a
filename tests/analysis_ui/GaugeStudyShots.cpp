// Pictures of the type 1 study for the documentation, German and English: 50 values of a
// reference part (x_m 12,3450, tolerance 12,335 to 12,355) on the study page, and the inspection
// report's study page rendered by pdftoppm. Part of ui_screenshots.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "analysis/ui/Analysis.h"
#include "analysis/ui/GaugeStudyPage.h"
#include "ui/ShotWindows.h"

bool ShootGaugeStudy(const std::string& language, const QString& outDir) {
  pzam::test::TShotWindows windows(
      "pzam_study_shots_" + language,
      "[Select]\nReqMode=0\nFileMode=2\n[Language]\nLastLanguage=" + language +
          "\n[Tolerance]\nNominal=12,345\nLower=12,335\nUpper=12,355\n");
  pzam::TF_Main& main = windows.Main();
  main.Bu_AnalysisClick();
  pzam::TF_Analysis& analysis = main.Analysis();
  for (int i = 1; i <= 50; ++i) {
    const double wave = 2.0 * std::sin(i * 0.9) + 1.2 * std::sin(i * 2.3 + 1.0);
    analysis.AddValue(12.3451 + std::lround(wave) / 10000.0, "09:05:03");
  }
  analysis.UpdateNow();
  analysis.Bu_Study->click();
  pzam::analysis::TGaugeStudyPage& study = analysis.Study();
  study.Ed_StudyReference->setText("12,3450");
  QApplication::processEvents();
  const QString suffix = language == "deutsch" ? "de" : "en";
  bool ok = study.grab().save(outDir + "/study_" + suffix + ".png");
  // The report ends with the study's page: its last page as a picture.
  analysis.Bu_ReportClick();
  const std::string pdf = analysis.Ed_Report->text().toStdString();
  const std::string png = (outDir + "/study_report_" + suffix).toStdString();
  ok = ok && std::filesystem::exists(pdf) &&
       std::system(
           ("pdftoppm -png -r 80 -singlefile -f 3 -l 3 '" + pdf + "' '" + png + "'").c_str()) == 0;
  study.hide();
  analysis.hide();
  return ok;
}
