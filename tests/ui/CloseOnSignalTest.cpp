// Signals close a window through its own close handler, on the window's thread.
#include "ui/CloseOnSignal.h"

#include <gtest/gtest.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>
#include <csignal>

namespace pzam::ui {
namespace {

// Counts close requests; refuses them while Refuse is set.
class TCountingWindow : public QWidget {
 public:
  int Requests = 0;
  bool Refuse = false;

 protected:
  void closeEvent(QCloseEvent* event) override {
    ++Requests;
    if (Refuse) event->ignore();
  }
};

// Lets the event loop run until the window has seen `requests` close requests (at most 3 s).
bool WaitForRequests(const TCountingWindow& window, int requests) {
  QElapsedTimer clock;
  clock.start();
  while (window.Requests < requests && clock.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return window.Requests >= requests;
}

TEST(CloseOnSignal, EachSignalClosesTheWindowAsTheOperatorWould) {
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    TCountingWindow window;
    TCloseOnSignal closer(&window);
    ASSERT_TRUE(closer.Valid());
    window.show();
    ASSERT_EQ(0, ::raise(signo));
    EXPECT_TRUE(WaitForRequests(window, 1)) << signo;
    EXPECT_FALSE(window.isVisible()) << signo;
  }
}

TEST(CloseOnSignal, ARefusedCloseLeavesTheWindowOpenForTheNextSignal) {
  TCountingWindow window;
  TCloseOnSignal closer(&window);
  window.Refuse = true;
  window.show();
  ::raise(SIGTERM);
  ASSERT_TRUE(WaitForRequests(window, 1));
  EXPECT_TRUE(window.isVisible());
  window.Refuse = false;
  ::raise(SIGTERM);
  ASSERT_TRUE(WaitForRequests(window, 2));
  EXPECT_FALSE(window.isVisible());
}

TEST(CloseOnSignal, OnlyOneInstanceTakesTheSignalsAndGivesThemBack) {
  TCountingWindow window;
  {
    TCloseOnSignal first(&window);
    TCloseOnSignal second(&window);
    EXPECT_TRUE(first.Valid());
    EXPECT_FALSE(second.Valid());
    struct sigaction current {};
    ::sigaction(SIGTERM, nullptr, &current);
    EXPECT_NE(current.sa_handler, SIG_DFL);
  }
  for (int signo : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction current {};
    ::sigaction(signo, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_DFL) << signo;
  }
}

}  // namespace
}  // namespace pzam::ui
