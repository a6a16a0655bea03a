#include "measurement/Main.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "config/Einstellungen.h"
#include "ui/MessageBoxes.h"

namespace pzam {

TF_Main::TF_Main(QWidget* parent) : QWidget(parent) {
  CreateControls();
  ConnectHandlers();
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TF_Main::~TF_Main() = default;

void TF_Main::ConnectHandlers() {
  using ui::Guarded;
  connect(Bu_MeasInit, &QPushButton::clicked, this, Guarded([this] { Bu_MeasInitClick(); }));
  connect(Bu_MeasStart, &QPushButton::clicked, this, Guarded([this] { Bu_MeasStartClick(); }));
  connect(Bu_MeasStop, &QPushButton::clicked, this, Guarded([this] { Bu_MeasStopClick(); }));
  connect(Bu_Config, &QPushButton::clicked, this, Guarded([this] { Bu_ConfigClick(); }));
}

void TF_Main::ApplyOperatingMode() {}

void TF_Main::Bu_MeasInitClick() {}

void TF_Main::Bu_MeasStartClick() {}

void TF_Main::Bu_MeasStopClick() {}

// Shown modeless; the main window stays usable.
void TF_Main::Bu_ConfigClick() {
  if (FConfig == nullptr) return;
  FConfig->show();
  FConfig->raise();
  FConfig->activateWindow();
}

}  // namespace pzam
