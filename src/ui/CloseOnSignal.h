// SIGTERM, SIGINT and SIGHUP (on Windows the console's events and the end of the user's session)
// close a window as if the operator had closed it, so a session ending or a "kill" still runs its
// close handler (a run is ended, the settings are written).
#pragma once

#include <QObject>

#include "common/SignalPipe.h"

class QWidget;

namespace pzam::ui {

class TCloseOnSignal : public QObject {
 public:
  // One instance per process; the signals take their default action again when it goes.
  explicit TCloseOnSignal(QWidget* window);
  ~TCloseOnSignal() override;
  TCloseOnSignal(const TCloseOnSignal&) = delete;
  TCloseOnSignal& operator=(const TCloseOnSignal&) = delete;

  bool Valid() const { return FSignals.Valid(); }

 private:
  void OnReadable();

  QWidget* FWindow;
  TSignalPipe FSignals;
  // What watches the pipe (and on Windows the session's end); goes before the pipe is closed.
  QObject* FWatcher = nullptr;
};

}  // namespace pzam::ui
