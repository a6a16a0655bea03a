// Saves pictures of the windows, German and English, for the documentation:
//   ui_screenshots DIR
// Runs on the offscreen platform with a recording comm layer (COM1, COM3, COM4 present), so the
// pictures do not depend on the machine's ports.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <iostream>

#include "ShotWindows.h"
#include "ui/Controls.h"

bool ShootAnalysis(const std::string& language, const QString& outDir);
bool ShootAnalysisPlan(const QString& outDir);
bool ShootGaugeStudy(const std::string& language, const QString& outDir);

namespace {

void WaitFor(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done() && timer.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 50);
}

bool Shoot(const std::string& language, const QString& outDir) {
  pzam::test::TShotWindows windows(
      "pzam_shots_" + language,
      "[Select]\nReqMode=0\nFileMode=1\n[Language]\nLastLanguage=" + language + "\n");
  pzam::TF_Main& main = windows.Main();
  pzam::TF_Config& config = windows.Config();
  pzam::comm::TFakeCommApi& comm = windows.Comm();
  main.Bu_MeasInit->click();
  const char* telegrams[] = {"@ANZ     001@IST  12,345@MWT  12,345@STW   0,000\x17",
                             "@ANZ     002@IST  12,351@MWT  12,348@STW   0,004\x17",
                             "@ANZ     003@IST  12,339@MWT  12,345@STW   0,006\x17"};
  for (const char* t : telegrams) {
    const QString before = main.Pa_Anz->text();
    comm.Receive(t);
    WaitFor([&] { return main.Pa_Anz->text() != before; });
  }
  main.Bu_MeasStop->click();
  config.show();
  QApplication::processEvents();
  const QString suffix = language == "deutsch" ? "de" : "en";
  const bool ok = main.grab().save(outDir + "/main_" + suffix + ".png") &&
                  config.grab().save(outDir + "/settings_" + suffix + ".png");
  config.hide();
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc != 2) {
    std::cerr << "usage: ui_screenshots DIR\n";
    return 2;
  }
  const QString dir = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(dir);
  const bool ok = Shoot("deutsch", dir) && Shoot("english", dir) && ShootAnalysis("deutsch", dir) &&
                  ShootAnalysis("english", dir) && ShootAnalysisPlan(dir);
  const bool study = ok && ShootGaugeStudy("deutsch", dir) && ShootGaugeStudy("english", dir);
  if (!study) std::cerr << "ui_screenshots: cannot write the pictures\n";
  return study ? 0 : 1;
}
