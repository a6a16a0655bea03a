// LoadLanguage: gives both windows the texts of the current language. The windows implement
// ILanguageWindows over their controls; the order of the steps lives here.
#pragma once

#include <string>

#include "config/Language.h"

namespace pzam {

enum class TComponentKind { Label, Button, RadioGroup, Other };
enum class TRadioList { OperatingMode, SaveMode };

class ILanguageWindows {
 public:
  virtual ~ILanguageWindows() = default;
  // The language name: the text of the language field CbB_Sprachwahl.
  virtual std::string LanguageName() const = 0;
  // The components of the main window, then those of the settings window, each in order of
  // creation (indices 0 to ComponentCount() - 1). The windows themselves are not components.
  virtual int ComponentCount() const = 0;
  virtual int ComponentTag(int index) const = 0;
  virtual TComponentKind ComponentKind(int index) const = 0;
  virtual void SetComponentCaption(int index, const std::string& text) = 0;
  virtual void SetSettingsWindowCaption(const std::string& text) = 0;
  // Caption of the sign swap check box Cb_QuorvMode.
  virtual void SetSignSwapCaption(const std::string& text) = 0;
  // The item lists of RG_REQMode and RG_SaveData. ClearItems leaves no selection (-1); a
  // SetItemIndex that changes the selection raises the group's click handler, as a click does.
  virtual int ItemIndex(TRadioList list) const = 0;
  virtual void ClearItems(TRadioList list) = 0;
  virtual void AddItem(TRadioList list, const std::string& text) = 0;
  virtual void SetItemIndex(TRadioList list, int index) = 0;
};

// Makes the language named by the windows' language field current in texts (file in
// languageDir) and applies it: tagged labels, buttons and radio group captions, text 2000, the
// operating-mode items (re-selected, which re-applies the mode's line parameters), text 20015,
// the save-mode items.
void LoadLanguage(ILanguageWindows& windows, TLanguageTexts& texts, const std::string& languageDir);

}  // namespace pzam
