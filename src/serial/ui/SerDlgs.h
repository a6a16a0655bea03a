// The port selection list: a drop-down list of the serial ports the port manager knows, which
// sets the port number of a linked port component when the operator picks an entry.
#pragma once

#include <QComboBox>

namespace pzam {

namespace serial {
class TCOMManager;
class TCustomSerial;
}  // namespace serial

// The framework's combo box as the serial unit publishes it; it adds no behaviour.
class TSerComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TSerComboBox(QWidget* parent = nullptr);
};

class TSerPortComboBox : public TSerComboBox {
  Q_OBJECT

 public:
  // Registers UpdateList with the port manager (the program's one by default). Listeners are
  // told apart by code, so only the first list of a program is registered.
  explicit TSerPortComboBox(QWidget* parent = nullptr, serial::TCOMManager* manager = nullptr);
  ~TSerPortComboBox() override;

  // The linked port component; setting it refreshes nothing.
  serial::TCustomSerial* Serial() const { return FSerial; }
  void SetSerial(serial::TCustomSerial* serial) { FSerial = serial; }

  // After the window has set the control up: refreshes the list.
  void Loaded() { UpdateList(); }
  // Items = the manager's ports; the entry of Serial's port selected (none when not listed).
  void UpdateList();
  // The operator picked an entry: sets Serial's port, then raises OnChange.
  void Change();

 signals:
  void OnChange();

 private:
  static void UpdateListListener(void* object);

  serial::TCOMManager& FManager;
  serial::TCustomSerial* FSerial = nullptr;
};

}  // namespace pzam
