#include "config/Einstellungen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "measurement/Main.h"
#include "serial/SerDlgs.h"
#include "ui/MessageBoxes.h"
#include "ui/RadioGroup.h"

namespace pzam {

TF_Config::TF_Config(TF_Main* main, QWidget* parent) : QWidget(parent, Qt::Window), FMain(main) {
  CreateControls();
  ConnectHandlers();
  // Closing the main window ends the program even while this window is shown.
  setAttribute(Qt::WA_QuitOnClose, false);
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TF_Config::~TF_Config() = default;

void TF_Config::ConnectHandlers() {
  using ui::Guarded;
  connect(RG_REQMode, &ui::TRadioGroup::Click, this, Guarded([this] { RG_REQModeClick(); }));
  connect(RG_CableType, &ui::TRadioGroup::Click, this, Guarded([this] { RG_REQModeClick(); }));
  connect(RG_SaveData, &ui::TRadioGroup::Click, this, Guarded([this] { RG_SaveDataClick(); }));
  connect(SerPortComboBox1, &QComboBox::activated, this,
          Guarded([this] { SerPortComboBox1Change(); }));
  // Picking an entry and every keystroke in the text field load the language named there.
  connect(CbB_Sprachwahl, &QComboBox::activated, this, Guarded([this] { CbB_SprachwahlChange(); }));
  connect(CbB_Sprachwahl->lineEdit(), &QLineEdit::textEdited, this,
          Guarded([this] { CbB_SprachwahlChange(); }));
  connect(Bu_Close, &QPushButton::clicked, this, Guarded([this] { Bu_CloseClick(); }));
}

bool TF_Config::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) ui::Guard([this] { FormActivate(); });
  return QWidget::event(event);
}

void TF_Config::FormActivate() {}

void TF_Config::RG_REQModeClick() {}

void TF_Config::SerPortComboBox1Change() {}

void TF_Config::CbB_SprachwahlChange() {}

// Applies the choices to the main window, then hides this window.
void TF_Config::Bu_CloseClick() {
  if (FMain != nullptr) FMain->ApplyOperatingMode();
  close();
}

}  // namespace pzam
