// The start-up step against settings files, and the settings file written at close.
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>
#include <functional>

#include "WindowsFixture.h"
#include "config/Profile.h"
#include "serial/Serial.h"
#include "serial/ui/SerDlgs.h"
#include "ui/RadioGroup.h"

namespace pzam::test {
namespace {

using serial::TDataBits;
using serial::TParityBit;
using serial::TStopBits;

class StartupTest : public WindowsTest {
 protected:
  // The settings text the program stores for its port after `change`; the windows are gone
  // afterwards, so that the next Start reads it.
  std::string StoredSettingsText(const std::function<void(serial::TSerial&)>& change) {
    Create();
    serial::TSerial& s = Main->Serial1();
    change(s);
    serial::TSerialSettings settings;
    s.GetSettings(settings);
    const std::string text = s.SettingsToText(settings);
    Config.reset();
    Main.reset();
    return text;
  }
};

TEST_F(StartupTest, SettingsFileValuesSelectTheChoices) {
  struct Row {
    const char* select;
    int mode, save, cable;
    bool swap;
  };
  const Row rows[] = {
      {"ReqMode=2\nFileMode=1\nCableType=1\nQuorvMode=1", 2, 1, 1, true},
      {"ReqMode=9", 3, 0, 0, false},
      {"ReqMode=-5", -1, 0, 0, false},
      {"FileMode=0x2", 0, 2, 0, false},
      {"FileMode=$1", 0, 1, 0, false},
      {"CableType=abc", 0, 0, 0, false},
      {"CableType=7", 0, 0, 1, false},
      {"QuorvMode=2", 0, 0, 0, false},
      {"ReqMode=1", 0, 0, 0, false},
      {"ReqMode= 3 ", 3, 0, 0, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.select);
    Config.reset();
    Main.reset();
    Boxes.clear();
    Start(SettingsText(r.select, "deutsch"));
    EXPECT_EQ(Config->RG_REQMode->ItemIndex(), r.mode);
    EXPECT_EQ(Config->RG_SaveData->ItemIndex(), r.save);
    EXPECT_EQ(Config->RG_CableType->ItemIndex(), r.cable);
    EXPECT_EQ(Config->Cb_QuorvMode->isChecked(), r.swap);
    EXPECT_FALSE(Main->Ti_Startup->isActive());
    // Only a stored mode 1 shows the message.
    EXPECT_EQ(Boxes.size(), std::string(r.select) == "ReqMode=1" ? 1u : 0u);
  }
}

TEST_F(StartupTest, NoModeLeavesTheModeFieldAsBuilt) {
  Start(SettingsText("ReqMode=-5", "deutsch"));
  EXPECT_EQ(Main->Ed_Modus->text(), QString("..."));
  EXPECT_EQ(Main->Ed_Filename->text().toStdString(), Text(9001));
  EXPECT_EQ(Main->Ed_ComNum->text(), QString("Com%1").arg(Main->Serial1().COMPort()));
}

TEST_F(StartupTest, WithoutASettingsFileTheDefaultsHold) {
  Start();
  EXPECT_EQ(Config->RG_REQMode->ItemIndex(), 0);
  EXPECT_EQ(Config->RG_SaveData->ItemIndex(), 0);
  EXPECT_EQ(Config->RG_CableType->ItemIndex(), 0);
  EXPECT_FALSE(Config->Cb_QuorvMode->isChecked());
  const serial::TSerial& s = Main->Serial1();
  // The window's port definition with mode 0's line parameters on top.
  EXPECT_EQ(s.COMPort(), 3);
  EXPECT_EQ(s.EventChar(), 23);
  EXPECT_EQ(s.Baudrate(), 9600);
  EXPECT_EQ(s.ParityBit(), TParityBit::none);
  EXPECT_EQ(s.BufSizeRec(), 16384);
  EXPECT_EQ(Main->Ed_ComNum->text(), QString("Com3"));
  EXPECT_EQ(Config->SerPortComboBox1->currentText(), QString("COM3"));
}

// A settings text written by the program: the port and every line setting come back.
TEST_F(StartupTest, StoredPortSettingsComeBackInModeZeroDuplex) {
  const std::string text = StoredSettingsText([](serial::TSerial& s) {
    s.SetCOMPort(4);
    s.SetBaudrate(19200);
    s.SetHandshakeXOnXOff(true);
    s.SetBufSizeRec(4096);
  });

  Start("[Serial]\nCOM=" + text + "\n" + SettingsText("ReqMode=0\nCableType=0", "deutsch"));
  const serial::TSerial& r = Main->Serial1();
  EXPECT_EQ(r.COMPort(), 4);
  EXPECT_EQ(r.Baudrate(), 19200);
  EXPECT_TRUE(r.HandshakeXOnXOff());
  EXPECT_EQ(r.BufSizeRec(), 4096);
  EXPECT_EQ(Main->Ed_ComNum->text(), QString("Com4"));
  EXPECT_EQ(Config->SerPortComboBox1->currentText(), QString("COM4"));
}

TEST_F(StartupTest, ModeParametersReplaceTheStoredLineParameters) {
  const std::string text = StoredSettingsText([](serial::TSerial& s) {
    s.SetBaudrate(19200);
    s.SetBufSizeRec(4096);
  });

  Start("[Serial]\nCOM=" + text + "\n" + SettingsText("ReqMode=2\nCableType=1", "deutsch"));
  const serial::TSerial& s = Main->Serial1();
  EXPECT_EQ(s.EventChar(), 13);
  EXPECT_EQ(s.Baudrate(), 4800);
  EXPECT_EQ(s.DataBits(), TDataBits::db_7);
  EXPECT_EQ(s.ParityBit(), TParityBit::even);
  EXPECT_EQ(s.StopBits(), TStopBits::sb_2);
  EXPECT_TRUE(s.DTRActive());
  EXPECT_TRUE(s.RTSActive());
  EXPECT_EQ(s.BufSizeRec(), 4096) << "the other stored settings stand";
}

TEST_F(StartupTest, ABadComTextChangesNothing) {
  Start("[Serial]\nCOM=not a settings text\n" + SettingsText("ReqMode=0", "deutsch"));
  const serial::TSerial& s = Main->Serial1();
  EXPECT_EQ(s.COMPort(), 3);
  EXPECT_EQ(s.Baudrate(), 9600);
  EXPECT_EQ(s.BufSizeRec(), 16384);
  EXPECT_EQ(s.EventChar(), 23);
}

TEST_F(StartupTest, TheTimerRunsTheStepOnceAfterCreation) {
  WriteFile(SettingsPath(), SettingsText("ReqMode=3", "english"));
  Create();
  EXPECT_TRUE(Main->Ti_Startup->isActive());
  EXPECT_EQ(Main->Ed_Modus->text(), QString("..."));
  EXPECT_TRUE(WaitUntil([&] { return Main->Ed_Modus->text() == "Quorvant --> x (+1)"; }, 3000));
  EXPECT_FALSE(Main->Ti_Startup->isActive());
  EXPECT_EQ(Main->Language().Language(), "english");
}

class CloseTest : public WindowsTest {};

TEST_F(CloseTest, ClosingWritesTheChoicesAndARestartRestoresThem) {
  Start(SettingsText("ReqMode=0", "deutsch"));
  Config->RG_REQMode->SetItemIndex(3);
  Config->RG_SaveData->SetItemIndex(1);
  Config->RG_CableType->SetItemIndex(1);
  Config->Cb_QuorvMode->setChecked(true);
  Config->CbB_Sprachwahl->setEditText("english");
  Main->Serial1().SetBufSizeTrm(8192);
  Main->show();
  EXPECT_TRUE(Main->close());

  const std::string path = SettingsPath();
  EXPECT_EQ(ReadProfileString(path, "Select", "ReqMode", ""), "3");
  EXPECT_EQ(ReadProfileString(path, "Select", "FileMode", ""), "1");
  EXPECT_EQ(ReadProfileString(path, "Select", "CableType", ""), "1");
  EXPECT_EQ(ReadProfileString(path, "Select", "QuorvMode", ""), "1");
  EXPECT_EQ(ReadProfileString(path, "Language", "LastLanguage", ""), "english");
  EXPECT_EQ(ReadProfileString(path, "Serial", "COM", "").size(), 95u);

  Config.reset();
  Main.reset();
  Create();
  Main->Ti_StartupTimer();
  EXPECT_EQ(Config->RG_REQMode->ItemIndex(), 3);
  EXPECT_EQ(Config->RG_SaveData->ItemIndex(), 1);
  EXPECT_EQ(Config->RG_CableType->ItemIndex(), 1);
  EXPECT_TRUE(Config->Cb_QuorvMode->isChecked());
  EXPECT_EQ(Main->Serial1().BufSizeTrm(), 8192);
  EXPECT_EQ(Main->Ed_Modus->text(), QString("Quorvant --> x (-1)"));
  EXPECT_EQ(Main->Language().Language(), "english");
}

TEST_F(CloseTest, ACloseBeforeTheStartupStepKeepsTheStoredSettings) {
  WriteFile(SettingsPath(), SettingsText("ReqMode=3", "english"));
  Create();
  ASSERT_TRUE(Main->Ti_Startup->isActive());
  Main->show();
  EXPECT_TRUE(Main->close());
  EXPECT_FALSE(Main->Ti_Startup->isActive());
  EXPECT_EQ(ReadProfileString(SettingsPath(), "Select", "ReqMode", ""), "3");
  EXPECT_EQ(ReadProfileString(SettingsPath(), "Language", "LastLanguage", ""), "english");
}

TEST_F(CloseTest, ANewFileHoldsItsSectionsInTheProgramsOrder) {
  Start();
  Config->CbB_Sprachwahl->setEditText("deutsch");
  ASSERT_TRUE(Main->FormClose());
  std::ifstream in(SettingsPath());
  std::string all((std::istreambuf_iterator<char>(in)), {});
  const auto serial = all.find("[Serial]");
  const auto select = all.find("[Select]");
  const auto language = all.find("[Language]");
  ASSERT_NE(language, std::string::npos);
  EXPECT_LT(serial, select);
  EXPECT_LT(select, language);
  EXPECT_LT(all.find("ReqMode=0"), all.find("FileMode=0"));
  EXPECT_LT(all.find("CableType=0"), all.find("QuorvMode=0"));
}

TEST_F(CloseTest, AnUnwritableFileShowsTheMessageAndKeepsTheProgramRunning) {
  Start();
  // A folder in place of the file: the write fails for every user, root included.
  std::filesystem::create_directory(SettingsPath());
  Main->show();
  EXPECT_FALSE(Main->close());
  EXPECT_TRUE(Main->isVisible());
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Kind, ui::TBoxKind::Error);
  EXPECT_EQ(Boxes[0].Caption, "P-ZAM");
  EXPECT_EQ(Boxes[0].Text, "In " + SettingsPath() + " kann nicht geschrieben werden.");
}

}  // namespace
}  // namespace pzam::test
