#include "app/PlantDialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "plant/PlantSettingsCheck.h"

namespace pzam {

namespace {

// A field with a button that picks a file, for the paths.
QWidget* WithBrowse(QLineEdit* edit, QWidget* parent, bool save) {
  auto* box = new QWidget(parent);
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(edit, 1);
  auto* browse = new QPushButton(QStringLiteral("…"), box);
  browse->setFixedWidth(28);
  row->addWidget(browse);
  QObject::connect(browse, &QPushButton::clicked, edit, [edit, save] {
    const QString file =
        save ? QFileDialog::getSaveFileName(edit, QString(), edit->text(), QString(), nullptr,
                                            QFileDialog::DontConfirmOverwrite)
             : QFileDialog::getOpenFileName(edit, QString(), edit->text());
    if (!file.isEmpty()) edit->setText(file);
  });
  return box;
}

}  // namespace

TPlantDialog::TPlantDialog(const TPlantSettings& s, const std::string& defaultStation,
                           const std::string& defaultJournal, QWidget* parent)
    : QDialog(parent) {
  setObjectName("F_Plant");
  setWindowTitle(QStringLiteral("Plant data"));
  auto* grid = new QGridLayout(this);
  const auto field = [this](const std::string& value, const char* name) {
    auto* e = new QLineEdit(QString::fromStdString(value), this);
    e->setObjectName(name);
    e->setMinimumWidth(300);
    return e;
  };
  Ed_Station = field(s.Station, "Ed_Station");
  Ed_Station->setPlaceholderText(QString::fromStdString(defaultStation));
  Ed_Broker = field(s.Broker, "Ed_Broker");
  Ed_Broker->setPlaceholderText(
      QStringLiteral("mqtts://broker.plant:8883 (empty: no publication)"));
  Ed_User = field(s.User, "Ed_User");
  Ed_PasswordFile = field(s.PasswordFile, "Ed_PasswordFile");
  Ed_PasswordFile->setPlaceholderText(QStringLiteral("a file only you may read (mode 0600)"));
  Ed_CAFile = field(s.CAFile, "Ed_CAFile");
  Ed_Journal = field(s.Journal, "Ed_Journal");
  Ed_Journal->setPlaceholderText(QString::fromStdString(defaultJournal));
  struct TRow {
    const char* Label;
    QWidget* Field;
  } rows[] = {
      {"Station", Ed_Station},
      {"Broker", Ed_Broker},
      {"User", Ed_User},
      {"Password file", WithBrowse(Ed_PasswordFile, this, false)},
      {"CA file", WithBrowse(Ed_CAFile, this, false)},
      {"Journal", WithBrowse(Ed_Journal, this, true)},
  };
  int r = 0;
  for (const TRow& row : rows) {
    grid->addWidget(new QLabel(QString::fromUtf8(row.Label), this), r, 0);
    grid->addWidget(row.Field, r, 1);
    auto* reason = new QLabel(this);
    reason->setObjectName(QStringLiteral("La_Reason%1").arg(r));
    QPalette p = reason->palette();
    p.setColor(QPalette::WindowText, QColor(200, 30, 30));
    reason->setPalette(p);
    reason->setWordWrap(true);
    reason->setMinimumWidth(220);
    grid->addWidget(reason, r, 2);
    Reasons.push_back(reason);
    ++r;
  }
  auto* buttons = new QDialogButtonBox(this);
  Bu_Apply = buttons->addButton(QStringLiteral("Apply"), QDialogButtonBox::AcceptRole);
  Bu_Cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
  Bu_Apply->setObjectName("Bu_Apply");
  Bu_Cancel->setObjectName("Bu_Cancel");
  grid->addWidget(buttons, r, 0, 1, 3);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    if (Check()) accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

TPlantSettings TPlantDialog::Settings() const {
  TPlantSettings s;
  s.Present = true;
  s.Station = Ed_Station->text().trimmed().toStdString();
  s.Broker = Ed_Broker->text().trimmed().toStdString();
  s.User = Ed_User->text().toStdString();
  s.PasswordFile = Ed_PasswordFile->text().trimmed().toStdString();
  s.CAFile = Ed_CAFile->text().trimmed().toStdString();
  s.Journal = Ed_Journal->text().trimmed().toStdString();
  return s;
}

bool TPlantDialog::Check() {
  const auto problems = plant::CheckPlantSettings(Settings());
  for (std::size_t i = 0; i < Reasons.size(); ++i) {
    const auto it = problems.find(static_cast<plant::TPlantField>(i));
    Reasons[i]->setText(it == problems.end() ? QString() : QString::fromStdString(it->second));
  }
  return problems.empty();
}

}  // namespace pzam
