// Program start: the application title, the main window, then the settings window, then the
// message loop until the main window is closed.
#include <QApplication>

#include "config/Einstellungen.h"
#include "measurement/Main.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  pzam::TF_Main main;
  pzam::TF_Config config(&main);
  main.SetConfig(&config);
  main.show();
  return QApplication::exec();
}
