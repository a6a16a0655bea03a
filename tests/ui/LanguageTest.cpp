// LoadLanguage over both windows: German, English, a partial and a missing language file.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "WindowsFixture.h"
#include "config/Language.h"
#include "serial/Serial.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam::test {
namespace {

class LanguageTest : public WindowsTest {
 protected:
  // Every translated caption of both windows with the text id it shows.
  std::vector<std::pair<QString, int>> Captions() const {
    std::vector<std::pair<QString, int>> out;
    for (QWidget* w : Main->Components()) {
      if (w->inherits("pzam::ui::TPanel")) continue;
      if (auto* l = qobject_cast<QLabel*>(w); l && ui::Tag(l))
        out.emplace_back(l->text(), ui::Tag(l));
      if (auto* b = qobject_cast<QPushButton*>(w); b && ui::Tag(b)) {
        out.emplace_back(b->text(), ui::Tag(b));
      }
    }
    for (QWidget* w : Config->Components()) {
      if (auto* l = qobject_cast<QLabel*>(w); l && ui::Tag(l))
        out.emplace_back(l->text(), ui::Tag(l));
      if (auto* b = qobject_cast<QPushButton*>(w); b && ui::Tag(b)) {
        out.emplace_back(b->text(), ui::Tag(b));
      }
      if (auto* g = qobject_cast<ui::TRadioGroup*>(w); g && ui::Tag(g)) {
        out.emplace_back(g->title(), ui::Tag(g));
      }
    }
    out.emplace_back(Config->windowTitle(), 2000);
    out.emplace_back(Config->Cb_QuorvMode->text(), 20015);
    for (int i = 0; i < 4; ++i) out.emplace_back(Config->RG_REQMode->Items().value(i), 20011 + i);
    for (int i = 0; i < 3; ++i) out.emplace_back(Config->RG_SaveData->Items().value(i), 20031 + i);
    return out;
  }
  void ExpectCaptionsFrom(const std::string& language) {
    const std::string path = ProgramDir() + "lng_" + language + ".lng";
    for (const auto& [text, id] : Captions()) {
      EXPECT_EQ(text.toStdString(), LanguageText(path, language, id)) << "id " << id;
    }
  }
  void ChooseLanguage(const QString& name) {
    Config->CbB_Sprachwahl->setEditText(name);
    Config->CbB_SprachwahlChange();
  }
};

TEST_F(LanguageTest, GermanAndEnglishGiveEveryCaptionItsText) {
  Start(SettingsText("ReqMode=2\nFileMode=1", "deutsch"));
  ExpectCaptionsFrom("deutsch");
  EXPECT_EQ(Config->RG_REQMode->Items().value(0).toStdString(), " sendet");
  ChooseLanguage("english");
  ExpectCaptionsFrom("english");
  EXPECT_NE(Main->Bu_MeasInit->text(), QString::fromUtf8("Messung Initialisieren"));
  ChooseLanguage("deutsch");
  ExpectCaptionsFrom("deutsch");
  EXPECT_EQ(Config->RG_REQMode->ItemIndex(), 2);
  EXPECT_EQ(Config->RG_SaveData->ItemIndex(), 1);
  EXPECT_EQ(Config->RG_CableType->Items(), QStringList({"Duplex", "Simplex"}));
  EXPECT_EQ(Main->Pa_Min->text(), QString("0,000")) << "panels are never translated";
}

TEST_F(LanguageTest, TheTitleKeepsTheLanguageOfTheStart) {
  Start(SettingsText("ReqMode=0", "deutsch"));
  const QString title = Main->windowTitle();
  EXPECT_EQ(title.toStdString(), Text(1000) + " " + Main->VersionText());
  EXPECT_EQ(Main->VersionText(), "V1.10 Build 3");
  ChooseLanguage("english");
  EXPECT_EQ(Main->windowTitle(), title);
}

TEST_F(LanguageTest, PartialFileGivesZeroForTheMissingTexts) {
  WriteFile(Dir / "lng_teil.lng", "[teil]\n1100=Start\n2000=Optionen\n20013=\" Sylvac\"\n");
  Start(SettingsText("ReqMode=0", "teil"));
  EXPECT_EQ(Main->Bu_MeasInit->text(), QString("Start"));
  EXPECT_EQ(Config->windowTitle(), QString("Optionen"));
  EXPECT_EQ(Config->RG_REQMode->Items(), QStringList({"0", "0", " Sylvac", "0"}));
  EXPECT_EQ(Config->RG_REQMode->title(), QString("0"));
  EXPECT_EQ(Main->Bu_MeasStop->text(), QString("0"));
  EXPECT_EQ(Main->windowTitle().toStdString(), "0 " + Main->VersionText());
}

TEST_F(LanguageTest, MissingFileGivesZeroEverywhereButTheCableTypes) {
  Start();  // no settings file: the language is named "0"
  EXPECT_EQ(Config->CbB_Sprachwahl->currentText(), QString("0"));
  for (const auto& [text, id] : Captions()) {
    // Mode 0 leaves the take-value button without a caption after the language is loaded.
    if (id != 1101) {
      EXPECT_EQ(text, QString("0")) << "id " << id;
    }
  }
  EXPECT_EQ(Main->Bu_MeasStart->text(), QString());
  EXPECT_EQ(Config->RG_CableType->Items(), QStringList({"Duplex", "Simplex"}));
  EXPECT_EQ(Main->Ed_Modus->text(), QString("0"));
  EXPECT_EQ(Main->Ed_Filename->text(), QString("0"));
  EXPECT_EQ(Main->Pa_Anz->text(), QString("1"));
}

TEST_F(LanguageTest, TypingLoadsAfterEveryKeystroke) {
  Start(SettingsText("ReqMode=0", "deutsch"));
  QLineEdit* edit = Config->CbB_Sprachwahl->lineEdit();
  edit->selectAll();
  QTest::keyClicks(edit, "eng");
  EXPECT_EQ(Main->Language().Language(), "eng");
  EXPECT_EQ(Main->Bu_MeasInit->text(), QString("0"));
  QTest::keyClicks(edit, "lish");
  EXPECT_EQ(Main->Language().Language(), "english");
  ExpectCaptionsFrom("english");
}

TEST_F(LanguageTest, ReloadingReappliesTheModeParametersOnlyWithAMode) {
  Start(SettingsText("ReqMode=2\nCableType=1", "deutsch"));
  serial::TSerial& s = Main->Serial1();
  s.SetBaudrate(1200);
  ChooseLanguage("english");
  EXPECT_EQ(s.Baudrate(), 4800);
  Config->RG_REQMode->SetItemIndex(-1);
  s.SetBaudrate(1200);
  ChooseLanguage("deutsch");
  EXPECT_EQ(s.Baudrate(), 1200);
  EXPECT_EQ(Config->RG_REQMode->ItemIndex(), -1);
}

}  // namespace
}  // namespace pzam::test
