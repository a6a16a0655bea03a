#include "ui/CloseOnSignal.h"

#include <QSocketNotifier>
#include <QWidget>

namespace pzam::ui {

TCloseOnSignal::TCloseOnSignal(QWidget* window) : FWindow(window) {
  if (!FSignals.Valid()) return;
  auto* notifier = new QSocketNotifier(FSignals.ReadFd(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
  FWatcher = notifier;
}

// The notifier goes before the pipe it watches is closed.
TCloseOnSignal::~TCloseOnSignal() {
  delete FWatcher;
}

// Several signals in a row ask once; a close the window refuses (settings not written) leaves
// it open, as it does for the operator.
void TCloseOnSignal::OnReadable() {
  FSignals.Drain();
  FWindow->close();
}

}  // namespace pzam::ui
