#include "config/LoadLanguage.h"

#include "config/TextIds.h"

namespace pzam {

namespace {

void RebuildItems(ILanguageWindows& windows, const TLanguageTexts& texts, TRadioList list,
                  int firstId, int count) {
  const int selected = windows.ItemIndex(list);
  windows.ClearItems(list);
  for (int i = 0; i < count; ++i) windows.AddItem(list, texts.Text(firstId + i));
  windows.SetItemIndex(list, selected);
}

}  // namespace

void LoadLanguage(ILanguageWindows& windows, TLanguageTexts& texts,
                  const std::string& languageDir) {
  texts.Load(languageDir, windows.LanguageName());
  const int count = windows.ComponentCount();
  for (int i = 0; i < count; ++i) {
    const int tag = windows.ComponentTag(i);
    if (tag == 0 || windows.ComponentKind(i) == TComponentKind::Other) continue;
    windows.SetComponentCaption(i, texts.Text(tag));
  }
  windows.SetSettingsWindowCaption(texts.Text(textid::kSettingsCaption));
  RebuildItems(windows, texts, TRadioList::OperatingMode, textid::kModeItem0, 4);
  windows.SetSignSwapCaption(texts.Text(textid::kSignSwap));
  RebuildItems(windows, texts, TRadioList::SaveMode, textid::kSaveItem0, 3);
}

}  // namespace pzam
