#include "ui/CloseOnSignal.h"

#include <QSocketNotifier>
#include <QWidget>

namespace pzam::ui {

TCloseOnSignal::TCloseOnSignal(QWidget* window) : FWindow(window) {
  if (!FSignals.Valid()) return;
  FNotifier = new QSocketNotifier(FSignals.ReadFd(), QSocketNotifier::Read, this);
  connect(FNotifier, &QSocketNotifier::activated, this, [this] { OnReadable(); });
}

// The notifier goes before the pipe it watches is closed.
TCloseOnSignal::~TCloseOnSignal() {
  delete FNotifier;
}

// Several signals in a row ask once; a close the window refuses (settings not written) leaves
// it open, as it does for the operator.
void TCloseOnSignal::OnReadable() {
  FSignals.Drain();
  FWindow->close();
}

}  // namespace pzam::ui
