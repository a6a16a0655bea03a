// The test programs' QApplication (made by TestMain.cpp on the offscreen platform) and a wait
// that keeps the event loop running.
#pragma once

#include <QApplication>
#include <QDeadlineTimer>
#include <functional>

namespace pzam::test {

inline QApplication& QtApp() {
  return *qApp;
}

// Runs the event loop until done() holds or ms milliseconds have passed; done() at the end.
inline bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return done();
}

}  // namespace pzam::test
