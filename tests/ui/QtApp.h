// One QApplication for a test program, on the offscreen platform.
#pragma once

#include <QApplication>

namespace pzam::test {

inline QApplication& QtApp() {
  static int argc = 1;
  static char name[] = "ui_test";
  static char* argv[] = {name, nullptr};
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(argc, argv);
  return app;
}

}  // namespace pzam::test
