// Measuring runs through the windows on the recording comm layer: Initialise, values arriving on
// the port's event thread, take value, End, and the mended failure paths.
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <cmath>

#include "WindowsFixture.h"
#include "config/Profile.h"
#include "serial/SerPort.h"
#include "serial/Serial.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam::test {
namespace {

class RunTest : public WindowsTest {
 protected:
  void Begin(const std::string& select) {
    Start(SettingsText(select, "deutsch"));
    Main->Ed_CharNum->setText("A7");
  }
  std::string Memo() const { return Main->Memo1->toPlainText().toStdString(); }
  std::vector<std::filesystem::path> RecordFiles() const {
    std::vector<std::filesystem::path> out;
    for (const auto& e : std::filesystem::directory_iterator(Dir / "run")) {
      if (e.path().filename() != "debug.txt") out.push_back(e.path());
    }
    return out;
  }
  static std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  bool Idle() const {
    return Main->Bu_MeasInit->isEnabled() && !Main->Bu_MeasStop->isEnabled() &&
           !Main->Bu_MeasStart->isEnabled() && Main->Ed_CharNum->isEnabled() &&
           Main->Bu_Config->isEnabled() && !Main->Serial1().Active() && !Main->Running();
  }
  std::string HeaderLine() const {
    std::string line;
    for (int id = 9010; id <= 9017; ++id) line += (id > 9010 ? ";" : "") + Text(id);
    return line + "\n\r";
  }
};

TEST_F(RunTest, ModeZeroTelegramsAreShownCountedAndRecorded) {
  Begin("ReqMode=0\nFileMode=2");
  Main->Bu_MeasInit->click();
  ASSERT_TRUE(Main->Serial1().Active());
  EXPECT_FALSE(Main->Bu_MeasInit->isEnabled());
  EXPECT_FALSE(Main->Bu_MeasStart->isEnabled());
  EXPECT_TRUE(Main->Bu_MeasStop->isEnabled());
  EXPECT_FALSE(Main->Bu_Config->isEnabled());
  EXPECT_EQ(Main->Pa_Anz->text(), QString("000"));
  const std::string name = Main->Ed_Filename->text().toStdString();
  EXPECT_TRUE(name.ends_with("_A7.csv")) << name;

  Comm.Receive("xx@ANZ     001@IST  12,345@MWT  12,345@STW   0,000\x17");
  AwaitCount("001");
  EXPECT_TRUE(Main->Pa_Ist->text().contains("12,345"));
  Comm.Receive("@ANZ     002@IST  12,347@MWT  12,346@STW   0,001\x17");
  AwaitCount("002");
  EXPECT_TRUE(Main->Pa_Max->text().contains("12,347"));
  EXPECT_TRUE(Main->Pa_Min->text().contains("12,345"));
  EXPECT_EQ(Comm.Written(), "") << "mode 0 answers nothing";

  Main->Bu_MeasStop->click();
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(Memo().ends_with(Text(9002)));
  const auto files = RecordFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].filename().string(), name);
  const std::string csv = ReadAll(files[0]);
  EXPECT_TRUE(csv.starts_with(HeaderLine())) << csv;
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\r'), 3);
  const std::string trace = ReadAll(Dir / "run" / "debug.txt");
  EXPECT_TRUE(trace.starts_with("test\r\n"));
  EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 3);
  // The figures of the finished run stay until the next Initialise.
  EXPECT_EQ(Main->Pa_Anz->text(), QString("002"));
}

TEST_F(RunTest, ModeTwoDuplexRequestsAndAnswers) {
  Begin("ReqMode=2\nCableType=0\nFileMode=0");
  Main->Bu_MeasInit->click();
  EXPECT_TRUE(Main->Bu_MeasStart->isEnabled());
  EXPECT_EQ(Main->Bu_MeasStart->text().toStdString(), Text(1101));
  Main->Bu_MeasStart->click();
  EXPECT_EQ(Comm.Written(), "PRI\r");
  EXPECT_TRUE(Main->Bu_MeasStart->isEnabled());
  Comm.Receive("+12,345\r");
  AwaitCount("001");
  EXPECT_EQ(Comm.Written(), "PRI\rSTO0\r");
  EXPECT_TRUE(Main->Pa_Ist->text().contains("12,345"));
  Comm.Receive("S\r");  // no value: no answer, no count
  Comm.Receive("+12,355\r");
  AwaitCount("002");
  EXPECT_EQ(Comm.Written(), "PRI\rSTO0\rSTO0\r");
  Main->Bu_MeasStop->click();
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(RecordFiles().empty()) << "save mode 0 records nothing";
  EXPECT_EQ(ReadAll(Dir / "run" / "debug.txt"), "test\r\n");
}

TEST_F(RunTest, ModeTwoSimplexReopensThePort) {
  Begin("ReqMode=2\nCableType=1");
  Main->Bu_MeasInit->click();
  const size_t opened = Comm.CountOf("CreateFile");
  Main->Bu_MeasStart->click();
  EXPECT_EQ(Comm.CountOf("CreateFile"), opened + 1);
  EXPECT_TRUE(Main->Serial1().Active());
  EXPECT_EQ(Comm.Written(), "");
  EXPECT_TRUE(Main->Bu_MeasStart->isEnabled());
  Main->Bu_MeasStop->click();
}

TEST_F(RunTest, ModeThreeSwapsTheSignAndKeepsTakeValueDisabled) {
  Begin("ReqMode=3\nQuorvMode=1\nFileMode=1");
  Main->Bu_MeasInit->click();
  EXPECT_FALSE(Main->Bu_MeasStart->isEnabled());
  Comm.Receive("+1,500\r");
  AwaitCount("001");
  EXPECT_TRUE(Main->Pa_Ist->text().contains("-1,5")) << Main->Pa_Ist->text().toStdString();
  EXPECT_EQ(Comm.Written(), "STO0\r");
  Main->Bu_MeasStop->click();
  const auto files = RecordFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string xls = ReadAll(files[0]);
  ASSERT_GE(xls.size(), 16u);
  EXPECT_EQ(xls.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
  EXPECT_EQ(xls.substr(xls.size() - 4), std::string("\x0A\x00\x00\x00", 4));
}

TEST_F(RunTest, APortThatCannotBeOpenedLeavesTheRunIdle) {
  Begin("ReqMode=0");
  Comm.FailCall("CreateFile", comm::ERROR_ACCESS_DENIED);
  Main->Bu_MeasInit->click();
  EXPECT_TRUE(Idle());
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Caption, "P-ZAM");
  EXPECT_NE(Boxes[0].Text.find("COM3"), std::string::npos) << Boxes[0].Text;
}

TEST_F(RunTest, ARecordFileThatCannotBeCreatedClosesThePortAgain) {
  Begin("ReqMode=0\nFileMode=1");
  std::filesystem::remove_all(Dir / "run");  // the record file's folder is gone
  Main->Bu_MeasInit->click();
  EXPECT_TRUE(Idle());
  EXPECT_EQ(Comm.OpenHandleCount(), 0u);
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].Kind, ui::TBoxKind::Error);
}

TEST_F(RunTest, InitialiseWithoutAModeIsRefused) {
  Begin("ReqMode=-5");
  Main->Bu_MeasInit->click();
  EXPECT_TRUE(Idle());
  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_NE(Boxes[0].Text.find(Text(9007)), std::string::npos) << Boxes[0].Text;
  EXPECT_EQ(Comm.CountOf("CreateFile"), 0u);
}

TEST_F(RunTest, TheSettingsWindowCannotDisturbARun) {
  Begin("ReqMode=0");
  Main->Bu_ConfigClick();  // left open across Initialise
  Main->Bu_MeasInit->click();
  for (QWidget* w : std::initializer_list<QWidget*>{Config->RG_REQMode, Config->RG_CableType,
                                                    Config->RG_SaveData, Config->Cb_QuorvMode}) {
    EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
  }
  Config->FormActivate();
  EXPECT_TRUE(Main->Serial1().Active()) << "activation during a run keeps the port open";
  Comm.Receive("@ANZ     001@IST   1,000@MWT   1,000@STW   0,000\x17");
  AwaitCount("001");
  Main->Bu_MeasStop->click();
  EXPECT_TRUE(Config->RG_REQMode->isEnabled());
  Main->Bu_MeasInit->click();
  Main->Bu_MeasStop->click();
  Main->Serial1().SetActive(true);
  Config->FormActivate();
  EXPECT_FALSE(Main->Serial1().Active()) << "between runs activation closes the port";
}

// The modem-line port is built as the window defines it and nothing in a run opens it: the run
// opens COM3 once, for Serial1.
TEST_F(RunTest, SerPort1KeepsItsDefinitionAndStaysClosedThroughARun) {
  Begin("ReqMode=0");
  const serial::TSerPort& p = Main->SerPort1();
  EXPECT_EQ(p.COMPort(), 3);
  EXPECT_EQ(p.ThreadPriority(), serial::TThreadPriority::tpIdle);
  EXPECT_FALSE(p.Out_DTR());
  EXPECT_FALSE(p.Out_RTS());
  EXPECT_TRUE(p.Out_TxD());
  EXPECT_FALSE(p.PollingMode());
  Main->Bu_MeasInit->click();
  EXPECT_FALSE(p.Active());
  Comm.Receive("@ANZ     001@IST   1,000@MWT   1,000@STW   0,000\x17");
  AwaitCount("001");
  Main->Bu_MeasStop->click();
  EXPECT_FALSE(p.Active());
  EXPECT_EQ(Comm.CountOf("CreateFile"), 1u);
}

// Closing the settings window during a run only hides it: the file field keeps the running
// record file's name (it showed "??????.csv" before), and the next close between runs applies the
// choices again.
TEST_F(RunTest, ClosingTheSettingsWindowDuringARunOnlyHidesIt) {
  Begin("ReqMode=0\nFileMode=2");
  Main->Bu_ConfigClick();
  Main->Bu_MeasInit->click();
  const std::string running = Main->Ed_Filename->text().toStdString();
  ASSERT_TRUE(running.ends_with("A7.csv")) << running;
  ASSERT_TRUE(Config->Bu_Close->isEnabled());
  Config->Bu_Close->click();
  EXPECT_FALSE(Config->isVisible());
  EXPECT_EQ(Main->Ed_Filename->text().toStdString(), running);
  Main->Bu_MeasStop->click();
  Main->Bu_ConfigClick();
  Config->Bu_Close->click();
  EXPECT_EQ(Main->Ed_Filename->text().toStdString(), "??????.csv");
}

// Relative luminance of a colour (sRGB), for the contrast ratio of text on its background.
double Luminance(QColor c) {
  const auto channel = [](double v) {
    v /= 255.0;
    return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// During a run the batch field is disabled, and its text as drawn stands out from the field's
// own sky blue by at least the 4.5:1 of readable body text.
TEST_F(RunTest, TheDisabledBatchNumberStaysReadable) {
  Begin("ReqMode=0");
  Main->Ed_CharNum->setText("88888");
  Main->show();
  Main->Bu_MeasInit->click();
  ASSERT_FALSE(Main->Ed_CharNum->isEnabled());
  const QImage image = Main->Ed_CharNum->grab().toImage();
  const QColor background = image.pixelColor(image.width() - 6, image.height() / 2);
  double darkest = 1.0;
  for (int y = 3; y < image.height() - 3; ++y) {
    for (int x = 3; x < image.width() - 3; ++x) {
      darkest = std::min(darkest, Luminance(image.pixelColor(x, y)));
    }
  }
  const double contrast = (Luminance(background) + 0.05) / (darkest + 0.05);
  EXPECT_GE(contrast, 4.5) << "background " << background.name().toStdString();
  Main->Bu_MeasStop->click();
}

// Enter and Return press the focused button of either window, as Space does.
TEST_F(RunTest, EnterPressesTheFocusedButton) {
  Begin("ReqMode=0");
  Main->show();
  for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
    QTest::keyClick(Main->Bu_Config, key);
    EXPECT_TRUE(Config->isVisible());
    QTest::keyClick(Config->Bu_Close, key);
    EXPECT_FALSE(Config->isVisible());
    QTest::keyClick(Main->Bu_MeasInit, key);
    EXPECT_TRUE(Main->Running());
    QTest::keyClick(Main->Bu_MeasStop, key);
    EXPECT_FALSE(Main->Running());
  }
}

TEST_F(RunTest, ClosingDuringARunEndsItFirst) {
  Begin("ReqMode=0\nFileMode=1");
  Main->show();
  Main->Bu_MeasInit->click();
  Comm.Receive("@ANZ     001@IST   1,000@MWT   1,000@STW   0,000\x17");
  AwaitCount("001");
  EXPECT_TRUE(Main->close());
  EXPECT_FALSE(Main->Serial1().Active());
  const auto files = RecordFiles();
  ASSERT_EQ(files.size(), 1u);
  const std::string xls = ReadAll(files[0]);
  EXPECT_EQ(xls.substr(xls.size() - 4), std::string("\x0A\x00\x00\x00", 4));
  EXPECT_EQ(ReadProfileString(SettingsPath(), "Select", "FileMode", ""), "1");
}

TEST_F(RunTest, ARemovedPortIsReportedAndReopenedWhenItComesBack) {
  // Windows made and destroyed before leave nothing registered with the port manager.
  Start(SettingsText("ReqMode=0", "deutsch"));
  Config.reset();
  Main.reset();
  Begin("ReqMode=0\nFileMode=2");
  Main->Bu_MeasInit->click();
  Comm.SetPresent({"COM1", "COM4"});
  Manager->PortDeviceChanged(false);
  EXPECT_FALSE(Main->Serial1().Active());
  EXPECT_TRUE(Main->Running());
  EXPECT_TRUE(Memo().ends_with(Text(9005))) << Memo();
  Comm.SetPresent({"COM1", "COM3", "COM4"});
  Manager->PortDeviceChanged(true);
  EXPECT_TRUE(Main->Serial1().Active());
  EXPECT_TRUE(Memo().ends_with(Text(9006))) << Memo();
  Comm.Receive("@ANZ     001@IST   1,000@MWT   1,000@STW   0,000\x17");
  AwaitCount("001");
  Main->Bu_MeasStop->click();
  EXPECT_TRUE(Idle());
  // A port that comes back after the run has ended is left closed.
  Main->Bu_MeasInit->click();
  Comm.SetPresent({"COM1"});
  Manager->PortDeviceChanged(false);
  Main->Bu_MeasStop->click();
  Comm.SetPresent({"COM1", "COM3"});
  Manager->PortDeviceChanged(true);
  EXPECT_FALSE(Main->Serial1().Active());
}

TEST_F(RunTest, ASecondInitialiseStartsFromCleanFigures) {
  Begin("ReqMode=2");
  Main->Bu_MeasInit->click();
  Comm.Receive("+2,000\r");
  AwaitCount("001");
  Main->Bu_MeasStop->click();
  const int lines = Main->Memo1->document()->blockCount();
  EXPECT_GE(lines, 2);
  Main->Bu_MeasInit->click();
  EXPECT_EQ(Main->Pa_Anz->text(), QString("000"));
  EXPECT_EQ(Main->Pa_Ist->text(), QString("0,000"));
  EXPECT_TRUE(Main->Memo1->toPlainText().isEmpty());
  Main->Bu_MeasStop->click();
}

}  // namespace
}  // namespace pzam::test
