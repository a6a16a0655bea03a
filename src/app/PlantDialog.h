// The [Plant] settings, reached from the settings window: the station's name, the broker with its
// login and CA, and the journal. Apply checks every field and refuses, with the reason beside the
// field, what cannot be used; nothing is taken until all can.
#pragma once

#include <QDialog>
#include <map>

#include "config/PlantSettings.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace pzam {

class TPlantDialog : public QDialog {
 public:
  TPlantDialog(const TPlantSettings& settings, const std::string& defaultStation,
               const std::string& defaultJournal, QWidget* parent = nullptr);

  // The settings as the fields hold them.
  TPlantSettings Settings() const;
  // Checks the fields; shows each reason beside its field. True when all can be used.
  bool Check();

  QLineEdit* Ed_Station;
  QLineEdit* Ed_Broker;
  QLineEdit* Ed_User;
  QLineEdit* Ed_PasswordFile;
  QLineEdit* Ed_CAFile;
  QLineEdit* Ed_Journal;
  QPushButton* Bu_Apply;
  QPushButton* Bu_Cancel;
  // The reason beside each field, by field order above; empty when the field is fine.
  std::vector<QLabel*> Reasons;
};

}  // namespace pzam
