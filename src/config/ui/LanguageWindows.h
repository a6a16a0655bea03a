// Both windows as the language loader sees them: their tagged components in order of creation,
// the settings window's caption, the sign swap box and the two translated radio item lists.
#pragma once

#include <QWidget>
#include <vector>

#include "config/LoadLanguage.h"

namespace pzam {

class TF_Config;

namespace ui {

class TRadioGroup;

class TLanguageWindows : public ILanguageWindows {
 public:
  // The main window's components in order of creation, then the settings window.
  TLanguageWindows(std::vector<QWidget*> mainComponents, TF_Config& config);

  std::string LanguageName() const override;
  int ComponentCount() const override { return static_cast<int>(FComponents.size()); }
  int ComponentTag(int index) const override;
  TComponentKind ComponentKind(int index) const override;
  void SetComponentCaption(int index, const std::string& text) override;
  void SetSettingsWindowCaption(const std::string& text) override;
  void SetSignSwapCaption(const std::string& text) override;
  int ItemIndex(TRadioList list) const override;
  void ClearItems(TRadioList list) override;
  void AddItem(TRadioList list, const std::string& text) override;
  void SetItemIndex(TRadioList list, int index) override;

 private:
  TRadioGroup* Group(TRadioList list) const;

  TF_Config& FConfig;
  std::vector<QWidget*> FComponents;
};

}  // namespace ui
}  // namespace pzam
