// Windows: a window program has no console, so its "signals" are the end of the user's session
// (WM_ENDSESSION: log-off, shut-down), on which it closes its window as the operator would, and
// the console's events when it was started from one, which reach the signal pipe. The pipe cannot
// be watched by the event loop there; a timer looks into it.
#include <windows.h>

#include <QAbstractEventDispatcher>
#include <QAbstractNativeEventFilter>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "ui/CloseOnSignal.h"

namespace pzam::ui {
namespace {

class TSessionEnd : public QObject, public QAbstractNativeEventFilter {
 public:
  TSessionEnd(QObject* parent, std::function<void()> onEnd)
      : QObject(parent), FOnEnd(std::move(onEnd)) {
    QAbstractEventDispatcher::instance()->installNativeEventFilter(this);
  }
  ~TSessionEnd() override {
    if (auto* d = QAbstractEventDispatcher::instance()) d->removeNativeEventFilter(this);
  }

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override {
    (void)result;
    if (type != "windows_generic_MSG") return false;
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_ENDSESSION && msg->wParam == TRUE && !FEnded) {
      FEnded = true;
      FOnEnd();
    }
    return false;
  }

 private:
  std::function<void()> FOnEnd;
  bool FEnded = false;
};

}  // namespace

TCloseOnSignal::TCloseOnSignal(QWidget* window) : FWindow(window) {
  auto* watcher = new QTimer(this);
  new TSessionEnd(watcher, [this] { FWindow->close(); });
  if (FSignals.Valid()) {
    connect(watcher, &QTimer::timeout, this, [this] { OnReadable(); });
    watcher->start(200);
  }
  FWatcher = watcher;
}

TCloseOnSignal::~TCloseOnSignal() {
  delete FWatcher;
}

// Closes the window once a console event has come; nothing when none has.
void TCloseOnSignal::OnReadable() {
  if (!FSignals.Drain()) return;
  FWindow->close();
}

}  // namespace pzam::ui
