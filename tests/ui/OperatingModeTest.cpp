// ApplyOperatingMode for every operating mode and save mode, the line parameters the settings
// window puts on Serial1 for each choice, and the rules of its radio groups.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "WindowsFixture.h"
#include "measurement/MeasurementRun.h"
#include "serial/Serial.h"
#include "serial/ui/SerDlgs.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam::test {
namespace {

using serial::TDataBits;
using serial::TParityBit;
using serial::TStopBits;

class OperatingModeTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    Start(SettingsText("ReqMode=0", "deutsch"));
  }
  // Selects without running the mode handler (mode 1 would fall back at once).
  void SelectQuietly(ui::TRadioGroup* group, int index) {
    const QSignalBlocker quiet(group);
    group->SetItemIndex(index);
  }
  double SignFactor() const { return Main->Run().Statistics().SignFactor(); }
};

TEST_F(OperatingModeTest, ModeFieldCaptionPanelsAndSignFactorFollowTheMode) {
  struct Row {
    int mode, cable;
    bool swap;
    std::string modeText;  // empty: the language text of modeTextId
    int modeTextId;
    int captionId;  // 0: empty caption
    bool stw, maxMin;
    double sign;
  };
  const Row rows[] = {
      {0, 0, false, "", 20011, 0, true, true, 1.0},
      {0, 1, true, "", 20011, 0, true, true, 1.0},
      {1, 0, false, "", 20012, 11011, true, false, 1.0},
      {2, 0, false, "Sylvac duplex", 0, 1101, false, true, 1.0},
      {2, 1, true, "Sylvac simplex", 0, 1101, false, true, 1.0},
      {3, 0, false, "Quorvant --> x (+1)", 0, 1101, true, true, 1.0},
      {3, 1, true, "Quorvant --> x (-1)", 0, 1101, true, true, -1.0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(testing::Message() << "mode " << r.mode << " cable " << r.cable);
    SelectQuietly(Config->RG_REQMode, r.mode);
    SelectQuietly(Config->RG_CableType, r.cable);
    Config->Cb_QuorvMode->setChecked(r.swap);
    Main->ApplyOperatingMode();
    const std::string expectMode = r.modeText.empty() ? Text(r.modeTextId) : r.modeText;
    EXPECT_EQ(Main->Ed_Modus->text().toStdString(), expectMode);
    EXPECT_EQ(Main->Bu_MeasStart->text().toStdString(), r.captionId ? Text(r.captionId) : "");
    EXPECT_EQ(!Main->Pa_Stw->isHidden(), r.stw);
    EXPECT_EQ(!Main->Pa_Max->isHidden(), r.maxMin);
    EXPECT_EQ(!Main->Pa_Min->isHidden(), r.maxMin);
    for (QWidget* always :
         {static_cast<QWidget*>(Main->Pa_Anz), static_cast<QWidget*>(Main->Pa_Ist),
          static_cast<QWidget*>(Main->Pa_Mwt)}) {
      EXPECT_FALSE(always->isHidden());
    }
    EXPECT_EQ(SignFactor(), r.sign);
    // Nothing else changes: no enabled state, no port.
    EXPECT_TRUE(Main->Bu_MeasInit->isEnabled());
    EXPECT_FALSE(Main->Bu_MeasStart->isEnabled());
    EXPECT_FALSE(Main->Serial1().Active());
  }
}

TEST_F(OperatingModeTest, SaveModeSetsTheFileField) {
  const std::pair<int, std::string> rows[] = {{0, ""}, {1, "??????.xls"}, {2, "??????.csv"}};
  for (const auto& [save, text] : rows) {
    Config->RG_SaveData->SetItemIndex(save);
    Main->ApplyOperatingMode();
    EXPECT_EQ(Main->Ed_Filename->text().toStdString(), save == 0 ? Text(9001) : text);
  }
}

TEST_F(OperatingModeTest, WithoutAModeOnlyTheFileFieldChanges) {
  SelectQuietly(Config->RG_REQMode, 3);
  Config->Cb_QuorvMode->setChecked(true);
  Main->ApplyOperatingMode();
  ASSERT_EQ(SignFactor(), -1.0);
  Config->RG_REQMode->SetItemIndex(-1);
  Config->Cb_QuorvMode->setChecked(false);
  Config->RG_SaveData->SetItemIndex(1);
  Main->ApplyOperatingMode();
  EXPECT_EQ(Main->Ed_Modus->text().toStdString(), "Quorvant --> x (-1)");
  EXPECT_EQ(SignFactor(), -1.0);
  EXPECT_EQ(Main->Ed_Filename->text().toStdString(), "??????.xls");
}

TEST_F(OperatingModeTest, ModeTwoWithoutCableTypeKeepsTheModeField) {
  SelectQuietly(Config->RG_REQMode, 0);
  Main->ApplyOperatingMode();
  SelectQuietly(Config->RG_REQMode, 2);
  Config->RG_CableType->SetItemIndex(-1);
  Main->ApplyOperatingMode();
  EXPECT_EQ(Main->Ed_Modus->text().toStdString(), Text(20011));
  EXPECT_TRUE(Main->Pa_Stw->isHidden());
}

struct TLine {
  char eventChar;
  int baud;
  TDataBits data;
  TParityBit parity;
  TStopBits stop;
  bool dtr, rts;
};

TLine LineOf(const serial::TSerial& s) {
  return {s.EventChar(), s.Baudrate(),  s.DataBits(), s.ParityBit(),
          s.StopBits(),  s.DTRActive(), s.RTSActive()};
}

void ExpectLine(const serial::TSerial& s, const TLine& e) {
  const TLine a = LineOf(s);
  EXPECT_EQ(a.eventChar, e.eventChar);
  EXPECT_EQ(a.baud, e.baud);
  EXPECT_EQ(a.data, e.data);
  EXPECT_EQ(a.parity, e.parity);
  EXPECT_EQ(a.stop, e.stop);
  EXPECT_EQ(a.dtr, e.dtr);
  EXPECT_EQ(a.rts, e.rts);
}

TEST_F(OperatingModeTest, EachChoiceSetsTheLineParameters) {
  const TLine zamRtsOff{23, 9600, TDataBits::db_8, TParityBit::none, TStopBits::sb_1, false, false};
  const TLine zamRtsOn{23, 9600, TDataBits::db_8, TParityBit::none, TStopBits::sb_1, false, true};
  const TLine sylvacDuplex{13,   4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2,
                           true, false};
  const TLine sylvacSimplex{13,   4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2,
                            true, true};
  struct Step {
    const char* what;
    ui::TRadioGroup* group;
    int index;
    TLine expect;
  };
  const Step steps[] = {
      {"mode 2, Duplex", Config->RG_REQMode, 2, sylvacDuplex},
      {"Simplex", Config->RG_CableType, 1, sylvacSimplex},
      {"mode 0 keeps RTS", Config->RG_REQMode, 0, zamRtsOn},
      {"mode 3, Simplex", Config->RG_REQMode, 3, sylvacSimplex},
      {"Duplex", Config->RG_CableType, 0, sylvacDuplex},
      {"mode 0", Config->RG_REQMode, 0, zamRtsOff},
      {"cable type in mode 0 leaves RTS", Config->RG_CableType, 1, zamRtsOff},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.group->SetItemIndex(s.index);
    ExpectLine(Main->Serial1(), s.expect);
  }
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(OperatingModeTest, ModeParametersLeaveTheOtherSettingsAlone) {
  serial::TSerial& s = Main->Serial1();
  s.SetXOnChar(5);
  s.SetHandshakeRtsCts(true);
  s.SetCOMPort(4);
  Config->RG_REQMode->SetItemIndex(2);
  EXPECT_EQ(s.XOnChar(), 5);
  EXPECT_TRUE(s.HandshakeRtsCts());
  EXPECT_EQ(s.COMPort(), 4);
}

TEST_F(OperatingModeTest, ReselectingTheSameModeRunsNoHandler) {
  serial::TSerial& s = Main->Serial1();
  s.SetBaudrate(19200);
  Config->RG_REQMode->SetItemIndex(0);  // already selected
  EXPECT_EQ(s.Baudrate(), 19200);
  Config->RG_REQMode->SetItemIndex(-1);  // to none: no handler either
  EXPECT_EQ(s.Baudrate(), 19200);
  Config->RG_REQMode->SetItemIndex(0);
  EXPECT_EQ(s.Baudrate(), 9600);
}

TEST_F(OperatingModeTest, ModeOneShowsTheMessageAndFallsBackToModeZero) {
  Config->RG_REQMode->SetItemIndex(2);
  Config->RG_CableType->SetItemIndex(1);
  Config->RG_REQMode->SetItemIndex(1);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Kind, ui::TBoxKind::Information);
  EXPECT_EQ(Boxes[0].Caption, "Informationen");
  EXPECT_EQ(Boxes[0].Text, "Die Funktion ist noch nicht implementiert");
  EXPECT_EQ(Config->RG_REQMode->ItemIndex(), 0);
  ExpectLine(Main->Serial1(),
             {23, 9600, TDataBits::db_8, TParityBit::none, TStopBits::sb_1, false, true});
}

TEST_F(OperatingModeTest, CloseButtonAppliesTheModeAndHidesTheWindow) {
  Main->Bu_ConfigClick();
  EXPECT_TRUE(Config->isVisible());
  Config->RG_REQMode->SetItemIndex(3);
  Config->Cb_QuorvMode->setChecked(true);
  Config->Bu_Close->click();
  EXPECT_FALSE(Config->isVisible());
  EXPECT_EQ(Main->Ed_Modus->text().toStdString(), "Quorvant --> x (-1)");
  EXPECT_EQ(SignFactor(), -1.0);
}

TEST_F(OperatingModeTest, FrameCloseHidesWithoutApplying) {
  Main->Bu_ConfigClick();
  Config->RG_REQMode->SetItemIndex(3);
  Config->Cb_QuorvMode->setChecked(true);
  Config->close();
  EXPECT_FALSE(Config->isVisible());
  EXPECT_EQ(Main->Ed_Modus->text().toStdString(), Text(20011));
  EXPECT_EQ(SignFactor(), 1.0);
  EXPECT_EQ(Main->Serial1().Baudrate(), 4800) << "the port already has mode 3's parameters";
}

TEST_F(OperatingModeTest, PortChoiceShowsTheNumberOnTheMainWindow) {
  ASSERT_EQ(Config->SerPortComboBox1->count(), 3);
  Config->SerPortComboBox1->setCurrentIndex(2);
  Config->SerPortComboBox1->Change();
  EXPECT_EQ(Main->Serial1().COMPort(), 4);
  EXPECT_EQ(Main->Ed_ComNum->text(), QString("Com4"));
}

}  // namespace
}  // namespace pzam::test
