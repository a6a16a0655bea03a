#include "config/LoadLanguage.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/TempDir.h"

namespace pzam {
namespace {

// Records every call in order and behaves like the radio groups: clearing leaves no selection,
// a change of selection raises the click handler.
class TRecordingWindows : public ILanguageWindows {
 public:
  struct TComponent {
    const char* Name;
    int Tag;
    TComponentKind Kind;
  };
  std::string Language = "deutsch";
  std::vector<TComponent> Components;
  int Selected[2] = {0, 0};
  std::vector<std::string> Log;

  std::string LanguageName() const override { return Language; }
  int ComponentCount() const override { return static_cast<int>(Components.size()); }
  int ComponentTag(int i) const override { return Components[i].Tag; }
  TComponentKind ComponentKind(int i) const override { return Components[i].Kind; }
  void SetComponentCaption(int i, const std::string& t) override {
    Log.push_back(std::string(Components[i].Name) + "=" + t);
  }
  void SetSettingsWindowCaption(const std::string& t) override { Log.push_back("F_Config=" + t); }
  void SetSignSwapCaption(const std::string& t) override { Log.push_back("Cb_QuorvMode=" + t); }
  int ItemIndex(TRadioList l) const override { return Selected[Index(l)]; }
  void ClearItems(TRadioList l) override {
    Log.push_back(Name(l) + " clear");
    Selected[Index(l)] = -1;
  }
  void AddItem(TRadioList l, const std::string& t) override { Log.push_back(Name(l) + "+" + t); }
  void SetItemIndex(TRadioList l, int index) override {
    Log.push_back(Name(l) + " select " + std::to_string(index));
    const bool changed = Selected[Index(l)] != index;
    Selected[Index(l)] = index;
    if (changed && index != -1) Log.push_back(Name(l) + "Click");
  }

 private:
  static int Index(TRadioList l) { return l == TRadioList::OperatingMode ? 0 : 1; }
  static std::string Name(TRadioList l) {
    return l == TRadioList::OperatingMode ? "RG_REQMode" : "RG_SaveData";
  }
};

class LoadLanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteFile(
        Dir.File("lng_deutsch.lng"),
        "[deutsch]\n1001=Messung\n1006=Maximum\n1101=Messwert holen\n2000=Einstellungen\n"
        "2001=Modus\n20011=\" sendet\"\n20012=\" abgefragt\"\n20013=\" Sylvac\"\n"
        "20014=\" Quorvant\"\n20015=Vorzeichen\n20031=keine\n20032=Excel\n20033=CSV\n");
    W.Components = {
        {"Label7", 1001, TComponentKind::Label},
        {"Pa_Min", 1006, TComponentKind::Other},
        {"Ed_CharNum", 0, TComponentKind::Other},
        {"Bu_MeasStart", 1101, TComponentKind::Button},
        {"Label12", 1007, TComponentKind::Label},
        {"RG_REQMode", 2001, TComponentKind::RadioGroup},
        {"RG_CableType", 0, TComponentKind::RadioGroup},
        {"Cb_QuorvMode", 20015, TComponentKind::Other},
    };
  }
  test::TTempDir Dir;
  TRecordingWindows W;
  TLanguageTexts Texts;
};

TEST_F(LoadLanguageTest, AppliesTheTextsInItsFixedOrder) {
  W.Selected[0] = 2;
  W.Selected[1] = 1;
  LoadLanguage(W, Texts, Dir.Path());
  const std::vector<std::string> expected = {
      "Label7=Messung",
      "Bu_MeasStart=Messwert holen",
      "Label12=0",  // key missing from the file
      "RG_REQMode=Modus",
      "F_Config=Einstellungen",
      "RG_REQMode clear",
      "RG_REQMode+ sendet",
      "RG_REQMode+ abgefragt",
      "RG_REQMode+ Sylvac",
      "RG_REQMode+ Quorvant",
      "RG_REQMode select 2",
      "RG_REQModeClick",  // re-selecting re-applies the line parameters of mode 2
      "Cb_QuorvMode=Vorzeichen",
      "RG_SaveData clear",
      "RG_SaveData+keine",
      "RG_SaveData+Excel",
      "RG_SaveData+CSV",
      "RG_SaveData select 1",
      "RG_SaveDataClick",
  };
  EXPECT_EQ(expected, W.Log);
  EXPECT_EQ(Dir.Path() + "lng_deutsch.lng", Texts.FilePath());
  EXPECT_EQ(2, W.Selected[0]);
  EXPECT_EQ(1, W.Selected[1]);
}

TEST_F(LoadLanguageTest, NoSelectionRunsNoHandlerAndMissingFileGivesZeros) {
  W.Selected[0] = -1;
  W.Language = "eng";
  LoadLanguage(W, Texts, Dir.Path());
  EXPECT_EQ("eng", Texts.Language());
  const std::vector<std::string> expected = {
      "Label7=0",          "Bu_MeasStart=0",       "Label12=0",
      "RG_REQMode=0",      "F_Config=0",           "RG_REQMode clear",
      "RG_REQMode+0",      "RG_REQMode+0",         "RG_REQMode+0",
      "RG_REQMode+0",      "RG_REQMode select -1", "Cb_QuorvMode=0",
      "RG_SaveData clear", "RG_SaveData+0",        "RG_SaveData+0",
      "RG_SaveData+0",     "RG_SaveData select 0", "RG_SaveDataClick",
  };
  EXPECT_EQ(expected, W.Log);
  EXPECT_EQ(-1, W.Selected[0]);
}

}  // namespace
}  // namespace pzam
