#include "config/ui/Einstellungen.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

#include "serial/LineParameters.h"
#include "serial/Serial.h"
#include "serial/ui/SerDlgs.h"
#include "ui/MessageBoxes.h"
#include "ui/RadioGroup.h"

namespace pzam {

TF_Config::TF_Config(IConfigHost* main, QWidget* parent)
    : QWidget(parent, Qt::Window), FMain(main) {
  CreateControls();
  SerPortComboBox1->SetSerial(&main->Serial1());
  SerPortComboBox1->Loaded();
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
  connect(SerPortComboBox1, &TSerPortComboBox::OnChange, this,
          Guarded([this] { SerPortComboBox1Change(); }));
  // Picking an entry and every keystroke in the text field load the language named there.
  connect(CbB_Sprachwahl, &QComboBox::activated, this, Guarded([this] { CbB_SprachwahlChange(); }));
  connect(CbB_Sprachwahl->lineEdit(), &QLineEdit::textEdited, this,
          Guarded([this] { CbB_SprachwahlChange(); }));
  connect(Bu_Close, &QPushButton::clicked, this, Guarded([this] { Bu_CloseClick(); }));
  connect(Bu_Plant, &QPushButton::clicked, this, Guarded([this] { Bu_PlantClick(); }));
}

bool TF_Config::SignSwap() const {
  return Cb_QuorvMode->isChecked();
}

void TF_Config::SetChoicesEnabled(bool enabled) {
  for (QWidget* w :
       std::initializer_list<QWidget*>{RG_REQMode, RG_CableType, Cb_QuorvMode, RG_SaveData,
                                       SerPortComboBox1, CbB_Sprachwahl, Bu_Plant}) {
    w->setEnabled(enabled);
  }
}

bool TF_Config::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) ui::Guard([this] { FormActivate(); });
  return QWidget::event(event);
}

// Between runs the port is closed whenever this window becomes active; during a run it stays
// open, so the run keeps receiving.
void TF_Config::FormActivate() {
  if (!FMain->Running()) FMain->Serial1().ClosePort();
}

// Puts the line parameters of the chosen operating mode and cable type on Serial1. Mode 1 is
// not available: a message, then mode 0 (whose selection runs this handler again).
void TF_Config::RG_REQModeClick() {
  const int mode = RG_REQMode->ItemIndex();
  if (mode == 1) {
    ui::ShowMessageBox(ui::TBoxKind::Information, "Informationen",
                       "Die Funktion ist noch nicht implementiert");
    RG_REQMode->SetItemIndex(0);
    return;
  }
  serial::ApplyLineParameters(FMain->Serial1(), mode, RG_CableType->ItemIndex());
}

void TF_Config::SerPortComboBox1Change() {
  FMain->ShowComPort();
}

void TF_Config::CbB_SprachwahlChange() {
  FMain->LoadLanguage();
}

// Applies the choices to the main window, then hides this window. During a run the choices are
// fixed and the main window shows the running record file: the window only hides.
void TF_Config::Bu_CloseClick() {
  if (!FMain->Running()) FMain->ApplyOperatingMode();
  close();
}

}  // namespace pzam
