// The port selection list: a drop-down list of the serial ports the port manager knows, which
// sets the port number of a linked port component when the operator picks an entry.
#pragma once

#include <QComboBox>

namespace pzam {

// The framework's combo box as the serial unit publishes it; it adds no behaviour.
class TSerComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TSerComboBox(QWidget* parent = nullptr);
};

class TSerPortComboBox : public TSerComboBox {
  Q_OBJECT

 public:
  explicit TSerPortComboBox(QWidget* parent = nullptr);
};

}  // namespace pzam
