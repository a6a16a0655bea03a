// The program's windows (offscreen) against pzam-sim: the operator's choices written to the
// settings file at close and restored at the next start, and a whole run driven by the buttons,
// checked against the model like the runs of pzam-tool measure.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <map>
#include <memory>

#include "E2eFixture.h"
#include "ExpectedRun.h"
#include "RunCheck.h"
#include "app/Main.h"
#include "config/Profile.h"
#include "config/ui/Einstellungen.h"
#include "plant/Journal.h"
#include "plant/JournalPath.h"
#include "serial/Serial.h"
#include "serial/comm/PortNames.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam::e2e {
namespace {

bool WaitUntil(const std::function<bool()>& done, int ms = 10000) {
  QDeadlineTimer deadline(ms);
  while (!done() && !deadline.hasExpired())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

template <typename T>
T* Control(QWidget& window, const char* name) {
  T* control = window.findChild<T*>(name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

// Both windows as the program makes them, on the test's program folder (settings file and
// language files) with record files going to the working folder.
class TProgram {
 public:
  explicit TProgram(const TTestDirs& dirs) {
    // The program reads the [Ports] section before the port manager's first scan.
    std::map<int, std::string> ports;
    for (int n = 1; n <= 99; ++n) {
      const auto device = ReadProfileString(dirs.Config(), "Ports", "COM" + std::to_string(n), "");
      if (!device.empty()) ports[n] = device;
    }
    comm::PlatformPortNames().SetExplicitMap(ports);
    for (const char* language : {"lng_deutsch.lng", "lng_english.lng"}) {
      std::filesystem::copy_file(BinPath(language), dirs.Root() + "/cfg/" + language,
                                 std::filesystem::copy_options::overwrite_existing);
    }
    TMainSetup setup;
    setup.ProgramDir = dirs.Root() + "/cfg/";
    setup.RunDirectory = dirs.Work() + "/";
    setup.Format = TFormatSettings{'.', "%H:%M:%S"};
    Main = std::make_unique<TF_Main>(setup);
    Config = std::make_unique<TF_Config>(Main.get());
    Main->SetConfig(Config.get());
    Main->show();
  }
  ~TProgram() {
    Config.reset();
    Main.reset();
  }
  // The start-up step has run once the port field shows more than its built-in text.
  bool Started() {
    return WaitUntil([&] { return Main->Ed_ComNum->text() != "..."; });
  }
  void Click(QWidget& window, const char* button) { Control<QPushButton>(window, button)->click(); }
  std::vector<std::string> Memo() const { return Lines(Main->Memo1->toPlainText().toStdString()); }

  std::unique_ptr<TF_Main> Main;
  std::unique_ptr<TF_Config> Config;
};

std::string Tool(const std::vector<std::string>& args) {
  TChildProcess tool({BinPath("pzam-tool"), args, "", {}});
  EXPECT_EQ(tool.WaitForExit(5s), 0) << tool.Stderr();
  return tool.Stdout();
}

// A settings file that selects the simulator's port with operating mode 0's line parameters.
void WriteSettings(const TTestDirs& dirs, const std::string& port, const std::string& select,
                   const std::string& language) {
  const std::string com =
      Lines(Tool({"settings-text", "encode", "COMPort=" + port.substr(3), "Baudrate=9600",
                  "DataBits=4", "ParityBit=0", "StopBits=0", "EventChar=23"}))
          .at(0);
  std::string text = ReadFile(dirs.Config());  // the simulator's [Ports] entry
  text += "[Serial]\nCOM=" + com + "\n[Select]\n" + select +
          "\n[Language]\nLastLanguage=" + language + "\n";
  WriteFile(dirs.Config(), text);
}

std::string Setting(const TTestDirs& dirs, const char* section, const char* key) {
  return ReadProfileString(dirs.Config(), section, key, "(missing)");
}

TEST(ProgramTest, ChoicesSurviveARestart) {
  TTestDirs dirs;
  TSim sim(dirs, "sim.log", {"--instrument", "quorvant", "--interval", "200", "--seed", "61"});
  ASSERT_TRUE(sim.WaitForPort());
  WriteSettings(dirs, sim.Port(), "ReqMode=0\nFileMode=0\nCableType=0\nQuorvMode=0", "english");
  {
    TProgram program(dirs);
    ASSERT_TRUE(program.Started());
    EXPECT_EQ(program.Main->Ed_ComNum->text().toStdString(), "Com" + sim.Port().substr(3));
    // The operator picks Quorvant with sign swap, Simplex and text files in the settings window.
    program.Click(*program.Main, "Bu_Config");
    auto& config = *program.Config;
    Control<ui::TRadioGroup>(config, "RG_REQMode")->Button(3)->click();
    Control<ui::TRadioGroup>(config, "RG_SaveData")->Button(2)->click();
    Control<ui::TRadioGroup>(config, "RG_CableType")->Button(1)->click();
    Control<QCheckBox>(config, "Cb_QuorvMode")->click();
    program.Click(config, "Bu_Close");
    EXPECT_EQ(program.Main->Ed_Modus->text(), "Quorvant --> x (-1)");
    EXPECT_EQ(program.Main->Ed_Filename->text(), "??????.csv");
    EXPECT_TRUE(program.Main->close());
  }
  EXPECT_EQ(Setting(dirs, "Select", "ReqMode"), "3");
  EXPECT_EQ(Setting(dirs, "Select", "FileMode"), "2");
  EXPECT_EQ(Setting(dirs, "Select", "CableType"), "1");
  EXPECT_EQ(Setting(dirs, "Select", "QuorvMode"), "1");
  EXPECT_EQ(Setting(dirs, "Language", "LastLanguage"), "english");
  // The port with mode 3's line parameters: 4800 baud, 7 data bits, even parity, 2 stop bits.
  const std::string com = Tool({"settings-text", "decode", Setting(dirs, "Serial", "COM")});
  for (const std::string& field :
       {"COMPort=" + sim.Port().substr(3), std::string("Baudrate=4800"), std::string("DataBits=3"),
        std::string("ParityBit=2"), std::string("StopBits=2"), std::string("EventChar=13")})
    EXPECT_NE(com.find(field + "\n"), std::string::npos) << field << " in\n" << com;

  TProgram again(dirs);
  ASSERT_TRUE(again.Started());
  auto& config = *again.Config;
  EXPECT_EQ(Control<ui::TRadioGroup>(config, "RG_REQMode")->ItemIndex(), 3);
  EXPECT_EQ(Control<ui::TRadioGroup>(config, "RG_SaveData")->ItemIndex(), 2);
  EXPECT_EQ(Control<ui::TRadioGroup>(config, "RG_CableType")->ItemIndex(), 1);
  EXPECT_TRUE(Control<QCheckBox>(config, "Cb_QuorvMode")->isChecked());
  EXPECT_EQ(Control<QComboBox>(config, "CbB_Sprachwahl")->currentText(), "english");
  EXPECT_EQ(again.Main->Ed_ComNum->text().toStdString(), "Com" + sim.Port().substr(3));
  EXPECT_EQ(again.Main->Ed_Modus->text(), "Quorvant --> x (-1)");
  EXPECT_EQ(again.Main->Ed_Filename->text(), "??????.csv");
  EXPECT_EQ(again.Main->Serial1().Baudrate(), 4800);
  EXPECT_EQ(again.Main->Bu_MeasInit->text(), "Initialise measurement");
}

TEST(ProgramTest, WholeRunThroughTheWindows) {
  TTestDirs dirs;
  TSim sim(
      dirs, "sim.log",
      {"--instrument", "zam", "--interval", "150", "--messages", "--count", "8", "--seed", "62"});
  ASSERT_TRUE(sim.WaitForPort());
  WriteSettings(dirs, sim.Port(), "ReqMode=0\nFileMode=1\nCableType=0\nQuorvMode=0", "deutsch");
  TProgram program(dirs);
  ASSERT_TRUE(program.Started());
  program.Main->Ed_CharNum->setText("K7");
  TRunWindow window{Now(), 0};
  program.Click(*program.Main, "Bu_MeasInit");
  EXPECT_FALSE(program.Main->Bu_MeasInit->isEnabled());
  EXPECT_FALSE(program.Main->Bu_Config->isEnabled());
  // Eight values; every seventh telegram is a message, which is no value.
  ASSERT_TRUE(WaitUntil([&] { return MemoTimes(program.Memo(), "K7").size() == 8; }))
      << program.Main->Memo1->toPlainText().toStdString();
  program.Click(*program.Main, "Bu_MeasStop");
  window.End = Now();
  EXPECT_TRUE(program.Main->Bu_MeasInit->isEnabled());

  TExpectedRun model(0, false, "K7");
  model.SentAll(sim.Sent());
  auto memo = program.Memo();
  const std::string removed = "Schnittstelle während der Messung entfernt";
  if (memo.size() >= 2 && memo[memo.size() - 2] == removed) memo.erase(memo.end() - 2);
  CheckMemo(memo, model, "K7", window, "Messung beendet");
  CheckFiles(dirs.Work(), model, 1, "K7", "deutsch", window, MemoTimes(memo, "K7"));
  // The station's journal beside the settings file holds the run with each value at its memo
  // line's (and so its record row's) time.
  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(plant::JournalPathFor(dirs.Config())));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", journal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ("K7", runs[0].Start.Batch);
  EXPECT_EQ(program.Main->Ed_Filename->text().toStdString(), runs[0].Start.RecordFile);
  EXPECT_TRUE(runs[0].Ended);
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", journal.RunValues(runs[0].Start.RunId, values));
  const auto times = MemoTimes(memo, "K7");
  ASSERT_EQ(times.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i)
    EXPECT_EQ(times[i], values[i].Time.substr(11, 8)) << "value " << i + 1;
  // The panels show the last value's figures.
  const TRow& last = model.Rows().back();
  EXPECT_EQ(program.Main->Pa_Anz->text().toStdString(), last[2]);
  EXPECT_EQ(program.Main->Pa_Ist->text().toStdString(), last[3]);
  EXPECT_EQ(program.Main->Pa_Mwt->text().toStdString(), last[4]);
  EXPECT_EQ(program.Main->Pa_Stw->text().toStdString(), last[5]);
  EXPECT_EQ(program.Main->Pa_Max->text().toStdString(), last[6]);
  EXPECT_EQ(program.Main->Pa_Min->text().toStdString(), last[7]);
}

}  // namespace
}  // namespace pzam::e2e
