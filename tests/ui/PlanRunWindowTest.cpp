// A plan made in the plan window and measured in the main window against two instruments on
// pseudo-terminals: the plan window follows each part (values, colours, the characteristic that
// waits next, the id, the counts), Repeat takes a value back, End inside a part leaves it without
// a result, and each characteristic has its own record file.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "WindowsFixture.h"
#include "analysis/ui/Analysis.h"
#include "plan/ui/PlanWindow.h"
#include "serial/comm/PosixCommApi.h"
#include "support/PtyPair.h"

namespace pzam::test {
namespace {

class PlanRunWindowTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    ASSERT_TRUE(Com5.Ok() && Com6.Ok());
    Com5.HoldSlave();
    Com6.HoldSlave();
    Names.SetExplicitMap({{5, Com5.SlavePath()}, {6, Com6.SlavePath()}});
    PosixApi = std::make_unique<comm::TPosixCommApi>(Names);
    Api = PosixApi.get();
    Manager = std::make_unique<serial::TCOMManager>(*PosixApi, 8);
    Clock = [] { return TDateTime{2026, 12, 10, 7, 30, 0}; };
  }
  void TearDown() override {
    Config.reset();
    Main.reset();
    Manager.reset();
    WindowsTest::TearDown();
  }
  // The shaft: two characteristics on the gauge at COM5, one on COM6, all signed values.
  void MakePlan(TF_Plan& w) {
    w.Ed_PlanName->setText("Shaft");
    w.Ed_PartNumber->setText("4711-01");
    w.Cb_PartIds->setChecked(true);
    const char* rows[3][10] = {
        {"Diameter", "20", "19.95", "20.05", "mm", "3", "COM5", "3", "duplex", "0"},
        {"Length", "80", "79.9", "80.1", "mm", "3", "COM5", "3", "duplex", "0"},
        {"Runout", "", "", "0.02", "mm", "3", "COM6", "3", "duplex", "0"}};
    w.Bu_AddRow->click();
    w.Bu_AddRow->click();
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 10; ++c)
        w.Tb_Characteristics->item(r, c)->setText(QString::fromUtf8(rows[r][c]));
  }
  void GiveId(TF_Plan& w, const char* id) {
    w.Ed_PartId->setFocus();
    QTest::keyClicks(w.Ed_PartId, id);
    QTest::keyClick(w.Ed_PartId, Qt::Key_Return);
  }
  std::string Row(TF_Plan& w, int row) const {
    return w.Tb_Part->item(row, 3)->text().toStdString();
  }
  QColor Colour(TF_Plan& w, int row) const { return w.Tb_Part->item(row, 0)->background().color(); }
  std::string Memo() const { return Main->Memo1->toPlainText().toStdString(); }
  std::string Record(int n) const {
    std::ifstream in(Dir / "run" / ("20261210_73000_B1_" + std::to_string(n) + ".csv"),
                     std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  TPtyPair Com5, Com6;
  comm::TPortNames Names{"/nonexistent-dev-root", [](const std::string&) { return false; }};
  std::unique_ptr<comm::TPosixCommApi> PosixApi;
};

TEST_F(PlanRunWindowTest, PartsOfTwoGaugesAreShownJudgedRepeatedAndRecorded) {
  Start(SettingsText("ReqMode=0\nFileMode=2", "english") + "[Export]\nDfq=1\n");
  Main->Ed_CharNum->setText("B1");
  const std::string port = Main->Ed_ComNum->text().toStdString();
  TF_Plan& w = Main->PlanWindow();
  MakePlan(w);
  w.Cb_UsePlan->setChecked(true);

  // Not saved yet: the run stays idle and says why.
  Main->Bu_MeasInit->click();
  EXPECT_FALSE(Main->Running());
  ASSERT_EQ(1u, Boxes.size());
  EXPECT_NE(std::string::npos, Boxes[0].Text.find("cannot be measured")) << Boxes[0].Text;

  ASSERT_TRUE(w.SaveAs(ProgramDir() + "shaft.ini"));
  Main->Bu_MeasInit->click();
  ASSERT_TRUE(Main->Running()) << (Boxes.size() > 1 ? Boxes[1].Text : "");
  EXPECT_TRUE(w.RunShown());
  EXPECT_TRUE(w.isVisible()) << "the plan window comes up with the run";
  EXPECT_FALSE(w.Bu_Save->isEnabled()) << "the plan is locked while it is measured";
  EXPECT_FALSE(Main->Bu_MeasInit->isEnabled());
  EXPECT_TRUE(Main->Bu_MeasStop->isEnabled());
  EXPECT_FALSE(Main->Ed_CharNum->isEnabled());
  EXPECT_EQ("COM5 COM6", Main->Ed_ComNum->text().toStdString());
  EXPECT_EQ("Part 1", w.Gb_Part->title().toStdString());
  EXPECT_FALSE(w.Ed_PartId->isReadOnly()) << "the part waits for its id";

  // A value before the id is held; the id lets it in.
  ASSERT_TRUE(Com6.Send("+000.010\r"));
  QTest::qWait(300);
  EXPECT_EQ("", Row(w, 2));
  GiveId(w, "P-1");
  EXPECT_TRUE(WaitUntil([&] { return Row(w, 2) == "+000.010"; })) << Row(w, 2);
  EXPECT_EQ(QColor(255, 235, 140), Colour(w, 0)) << "the diameter waits next";
  ASSERT_TRUE(Com5.Send("+020.010\r+080.000\r"));
  EXPECT_TRUE(WaitUntil([&] { return w.La_Counts->text() == "OK: 1   NOK: 0"; }))
      << w.La_Counts->text().toStdString();
  EXPECT_EQ("Last part: 1 P-1 OK", w.La_LastPart->text().toStdString());
  EXPECT_EQ("Part 2", w.Gb_Part->title().toStdString());

  // Part 2: a diameter outside shows red; Repeat takes it back and the next one replaces it.
  GiveId(w, "P-2");
  ASSERT_TRUE(Com5.Send("+020.300\r"));
  EXPECT_TRUE(WaitUntil([&] { return Row(w, 0) == "+020.300"; }));
  EXPECT_EQ(QColor(240, 130, 130), Colour(w, 0));
  EXPECT_EQ(QColor(255, 235, 140), Colour(w, 1));
  w.Bu_Repeat->click();
  EXPECT_EQ("", Row(w, 0));
  ASSERT_TRUE(Com5.Send("+020.020\r+080.200\r"));
  ASSERT_TRUE(Com6.Send("+000.005\r"));
  EXPECT_TRUE(WaitUntil([&] { return w.La_Counts->text() == "OK: 1   NOK: 1"; }))
      << w.La_Counts->text().toStdString();
  EXPECT_EQ("Last part: 2 P-2 NOK", w.La_LastPart->text().toStdString());

  // Part 3 ends with the run after one value.
  GiveId(w, "P-3");
  ASSERT_TRUE(Com5.Send("+019.990\r"));
  EXPECT_TRUE(WaitUntil([&] { return Row(w, 0) == "+019.990"; }));
  Main->Bu_MeasStop->click();
  EXPECT_FALSE(Main->Running());
  EXPECT_TRUE(w.Bu_Save->isEnabled());
  EXPECT_TRUE(Main->Bu_MeasInit->isEnabled());
  EXPECT_EQ(port, Main->Ed_ComNum->text().toStdString()) << "Serial1's port again";

  const std::string memo = Memo();
  for (const char* line :
       {"part=1 id=P-1 result=OK", "part=2 id=P-2 result=NOK", "part=3 id=P-3 incomplete",
        "Diameter: +020.300 discarded", "Runout: B1 07:30:00 002"})
    EXPECT_NE(std::string::npos, memo.find(line)) << line << "\n" << memo;
  // Each characteristic's record file, its rows in part order; the repeated value in none.
  struct {
    int File;
    std::vector<const char*> Values;
  } const files[] = {{1, {";001;  20,010;", ";002;  20,020;", ";003;  19,990;"}},
                     {2, {";001;  80,000;", ";002;  80,200;"}},
                     {3, {";001;   0,010;", ";002;   0,005;"}}};
  for (const auto& f : files) {
    const std::string record = Record(f.File);
    std::size_t at = 0;
    for (const char* value : f.Values) {
      at = record.find(value, at);
      EXPECT_NE(std::string::npos, at) << f.File << ": " << value << "\n" << record;
    }
    EXPECT_EQ(std::string::npos, record.find("20,300")) << record;
  }
  // The analysis window follows the processed values per characteristic: the repeated one is in
  // no figure; Pa_Ist was judged by the last value's characteristic (the diameter of part 3).
  TF_Analysis& analysis = Main->Analysis();
  ASSERT_EQ(3, analysis.Cb_Characteristic->count());
  const std::vector<std::size_t> counts = {3, 2, 2};
  for (int c = 0; c < 3; ++c) {
    analysis.Choose(c);
    EXPECT_EQ(counts[static_cast<std::size_t>(c)], analysis.Values().size()) << c;
  }
  analysis.Choose(0);
  EXPECT_DOUBLE_EQ(20.02, analysis.Values()[1]);
  analysis.Bu_ReportClick();
  EXPECT_TRUE(std::filesystem::exists(Dir / "run" / "20261210_73000_B1.pdf"))
      << analysis.Ed_Report->text().toStdString();

  // The transfer file of the run: every characteristic, each part's values and id.
  std::ifstream in(Dir / "run" / "20261210_73000_B1.dfq", std::ios::binary);
  const std::string dfq{std::istreambuf_iterator<char>(in), {}};
  for (const char* line : {"K0100 3\r\n", "K2002/3 Runout\r\n", "K0001/1 20.010\r\n",
                           "K0001/2 80.200\r\n", "K0014/1 P-2\r\n", "K0001/1 19.990\r\n"})
    EXPECT_NE(std::string::npos, dfq.find(line)) << line << "\n" << dfq;
  EXPECT_EQ(std::string::npos, dfq.find("20.300")) << "the repeated value is in no file";
}

// A scanner types into whatever has the keyboard. While the operator works in the main window,
// each part that waits for its id brings the plan window up with the focus in the id field; a
// window of another kind keeps its keys.
TEST_F(PlanRunWindowTest, TheScannersIdReachesThePartFromTheMainWindow) {
  Start(SettingsText("ReqMode=0\nFileMode=0", "english"));
  TF_Plan& w = Main->PlanWindow();
  MakePlan(w);
  ASSERT_TRUE(w.SaveAs(ProgramDir() + "shaft.ini"));
  w.Cb_UsePlan->setChecked(true);
  const auto activate = [](QWidget* window) {
    window->show();
    window->activateWindow();
    return WaitUntil([window] { return QApplication::activeWindow() == window; });
  };
  const auto scan = [](const char* id) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return false;
    QTest::keyClicks(focus, id);
    QTest::keyClick(focus, Qt::Key_Return);
    return true;
  };
  ASSERT_TRUE(activate(Main.get()));
  Main->Bu_MeasInit->click();
  ASSERT_TRUE(Main->Running());
  ASSERT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == w.Ed_PartId; }));
  ASSERT_TRUE(scan("S-1"));
  ASSERT_TRUE(Com5.Send("+020.010\r+080.000\r"));
  EXPECT_TRUE(WaitUntil([&] { return Row(w, 1) == "+080.000"; }));
  // The operator goes back to the main window; the part's end brings the id field back.
  ASSERT_TRUE(activate(Main.get()));
  ASSERT_TRUE(Com6.Send("+000.010\r"));
  EXPECT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == w.Ed_PartId; }));
  EXPECT_EQ("Last part: 1 S-1 OK", w.La_LastPart->text().toStdString());
  // The operator clicks into the main window again while the part waits: the scanner's keys
  // reach the id field all the same.
  ASSERT_TRUE(activate(Main.get()));
  Main->Bu_Plan->setFocus();
  ASSERT_TRUE(scan("S-2"));
  EXPECT_TRUE(w.Ed_PartId->isReadOnly()) << "part 2 has its id";
  EXPECT_EQ("S-2", w.Ed_PartId->text().toStdString());
  // In the analysis window the keys stay where they are.
  ASSERT_TRUE(activate(&Main->Analysis()));
  ASSERT_TRUE(Com5.Send("+020.010\r+080.000\r"));
  ASSERT_TRUE(Com6.Send("+000.010\r"));
  EXPECT_TRUE(WaitUntil([&] { return w.La_LastPart->text() == "Last part: 2 S-2 OK"; }));
  QTest::qWait(100);
  EXPECT_EQ(&Main->Analysis(), QApplication::activeWindow());
  Main->Bu_MeasStop->click();
}

}  // namespace
}  // namespace pzam::test
