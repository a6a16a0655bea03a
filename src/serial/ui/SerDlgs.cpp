#include "serial/ui/SerDlgs.h"

#include "serial/COMManager.h"
#include "serial/CustomSerial.h"

namespace pzam {

TSerComboBox::TSerComboBox(QWidget* parent) : QComboBox(parent) {}

TSerPortComboBox::TSerPortComboBox(QWidget* parent, serial::TCOMManager* manager)
    : TSerComboBox(parent), FManager(manager != nullptr ? *manager : serial::ComManager()) {
  // A drop-down list without free text entry.
  setEditable(false);
  connect(this, &QComboBox::activated, this, &TSerPortComboBox::Change);
  FManager.AddListener({&TSerPortComboBox::UpdateListListener, this});
}

TSerPortComboBox::~TSerPortComboBox() {
  FManager.RemoveListener({&TSerPortComboBox::UpdateListListener, this});
}

void TSerPortComboBox::UpdateListListener(void* object) {
  static_cast<TSerPortComboBox*>(object)->UpdateList();
}

void TSerPortComboBox::UpdateList() {
  const QSignalBlocker quiet(this);
  clear();
  int selected = -1;
  for (int i = 0; i < FManager.Count(); ++i) {
    addItem(QString::fromStdString(FManager.PortName(i)), FManager.PortNumber(i));
    if (FSerial != nullptr && FManager.PortNumber(i) == FSerial->COMPort()) selected = i;
  }
  setCurrentIndex(selected);
}

void TSerPortComboBox::Change() {
  if (FSerial != nullptr) {
    if (FManager.Count() == 0) {
      FSerial->SetCOMPort(0);
    } else {
      FSerial->SetCOMPortIndex(currentIndex());
    }
  }
  emit OnChange();
}

}  // namespace pzam
