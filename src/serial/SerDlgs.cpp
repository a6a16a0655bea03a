#include "serial/SerDlgs.h"

namespace pzam {

TSerComboBox::TSerComboBox(QWidget* parent) : QComboBox(parent) {}

TSerPortComboBox::TSerPortComboBox(QWidget* parent) : TSerComboBox(parent) {
  // A drop-down list without free text entry.
  setEditable(false);
}

}  // namespace pzam
