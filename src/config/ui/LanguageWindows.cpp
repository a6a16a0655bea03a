#include "config/ui/LanguageWindows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <utility>

#include "config/ui/Einstellungen.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam::ui {

TLanguageWindows::TLanguageWindows(std::vector<QWidget*> mainComponents, TF_Config& config)
    : FConfig(config), FComponents(std::move(mainComponents)) {
  for (QWidget* w : config.Components()) FComponents.push_back(w);
}

std::string TLanguageWindows::LanguageName() const {
  return FConfig.CbB_Sprachwahl->currentText().toStdString();
}

int TLanguageWindows::ComponentTag(int index) const {
  return Tag(FComponents.at(static_cast<size_t>(index)));
}

// Display panels are labels to Qt, but the language leaves them alone.
TComponentKind TLanguageWindows::ComponentKind(int index) const {
  const QWidget* w = FComponents.at(static_cast<size_t>(index));
  if (w->inherits("pzam::ui::TPanel")) return TComponentKind::Other;
  if (w->inherits("QLabel")) return TComponentKind::Label;
  if (w->inherits("QPushButton")) return TComponentKind::Button;
  if (w->inherits("pzam::ui::TRadioGroup")) return TComponentKind::RadioGroup;
  return TComponentKind::Other;
}

void TLanguageWindows::SetComponentCaption(int index, const std::string& text) {
  QWidget* w = FComponents.at(static_cast<size_t>(index));
  const QString caption = QString::fromStdString(text);
  if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(caption);
  } else if (auto* button = qobject_cast<QPushButton*>(w)) {
    button->setText(caption);
  } else if (auto* group = qobject_cast<TRadioGroup*>(w)) {
    group->SetCaption(caption);
  }
}

void TLanguageWindows::SetSettingsWindowCaption(const std::string& text) {
  FConfig.setWindowTitle(QString::fromStdString(text));
}

void TLanguageWindows::SetSignSwapCaption(const std::string& text) {
  FConfig.Cb_QuorvMode->setText(QString::fromStdString(text));
}

TRadioGroup* TLanguageWindows::Group(TRadioList list) const {
  return list == TRadioList::OperatingMode ? FConfig.RG_REQMode : FConfig.RG_SaveData;
}

int TLanguageWindows::ItemIndex(TRadioList list) const {
  return Group(list)->ItemIndex();
}

void TLanguageWindows::ClearItems(TRadioList list) {
  Group(list)->ClearItems();
}

void TLanguageWindows::AddItem(TRadioList list, const std::string& text) {
  Group(list)->AddItem(QString::fromStdString(text));
}

void TLanguageWindows::SetItemIndex(TRadioList list, int index) {
  Group(list)->SetItemIndex(index);
}

}  // namespace pzam::ui
