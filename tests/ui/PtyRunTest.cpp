// Whole measuring runs through the windows against an instrument on a pseudo-terminal, in
// operating modes 0, 2 and 3, with the record files compared byte for byte.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <cstdlib>

#include "WindowsFixture.h"
#include "serial/Serial.h"
#include "serial/comm/PtyPair.h"
#include "ui/Controls.h"

namespace pzam::test {
namespace {

// The instrument's end of a pseudo-terminal; the program opens the other end as COM5.
class TPtyInstrument {
 public:
  explicit TPtyInstrument(TPtyPair& pty) : FPty(pty) { FPty.HoldSlave(); }
  bool Ok() const { return FPty.Ok(); }
  void Send(const std::string& bytes) { ASSERT_TRUE(FPty.Send(bytes)); }
  // What the program sent, collected for up to `ms` milliseconds or until `expect` bytes came.
  std::string Heard(size_t expect, int ms = 3000) {
    std::string got;
    for (int waited = 0; got.size() < expect && waited < ms; waited += 20) {
      QApplication::processEvents();
      got += FPty.ReceiveSome(20);
    }
    return got;
  }

 private:
  TPtyPair& FPty;
};

class PtyRunTest : public WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    ASSERT_TRUE(Pty.Ok());
    Manager = std::make_unique<serial::TCOMManager>(*Line.Api, 4);
    Api = Line.Api.get();
    Clock = [] { return TDateTime{2026, 12, 8, 9, 5, 3}; };
    // The test's own language: the header texts are known here, not taken from the program.
    WriteFile(Dir / "lng_test.lng",
              "[test]\n9002=Ende\n9010=Charge\n9011=Zeit\n9012=Nr\n9013=Wert\n9014=Mittel\n"
              "9015=Stabw\n9016=Max\n9017=Min\n1101=Holen\n");
  }
  void TearDown() override {
    Config.reset();
    Main.reset();
    Manager.reset();
    WindowsTest::TearDown();
  }
  void Begin(const std::string& select) {
    Start(SettingsText(select, "test"));
    Main->Serial1().SetCOMPort(5);
    ASSERT_EQ(Main->Serial1().COMPort(), 5);
    Main->Ed_CharNum->setText("A7");
    Main->Bu_MeasInit->click();
    ASSERT_TRUE(Main->Serial1().Active()) << (Boxes.empty() ? "" : Boxes[0].Text);
  }
  std::string Record(const char* name) const {
    std::ifstream in(Dir / "run" / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  comm::test::TPtyBackend Line;  // COM5 on a fresh pty
  TPtyInstrument Pty{Line.Pty};
  const std::string Header = "Charge;Zeit;Nr;Wert;Mittel;Stabw;Max;Min\n\r";
};

TEST_F(PtyRunTest, ModeZeroGaugeSendsByItself) {
  Begin("ReqMode=0\nFileMode=2");
  Pty.Send("@ANZ     001@IST  12,500@MWT  12,500@STW   0,000\x17");
  AwaitCount("001");
  Pty.Send("@ANZ     002@IST  12,250@MWT  12,375@STW   0,176\x17");
  AwaitCount("002");
  Main->Bu_MeasStop->click();
  EXPECT_EQ(Pty.Heard(1, 300), "") << "mode 0 sends nothing";
  EXPECT_EQ(Record("20261208_90503_A7.csv"),
            Header +
                "A7;09:05:03;001;  12,500;    12,5;   0,000;    12,5;    12,5\n\r"
                "A7;09:05:03;002;  12,250;  12,375;   0,176;    12,5;   12,25\n\r");
  EXPECT_EQ(Record("debug.txt"),
            "test\r\n"
            "     001     12,500     12,500      0,000\r\n"
            "     002     12,250     12,375      0,176\r\n");
}

TEST_F(PtyRunTest, ModeTwoDuplexAsksForEachValue) {
  Begin("ReqMode=2\nCableType=0\nFileMode=2");
  for (const char* count : {"001", "002"}) {
    Main->Bu_MeasStart->click();
    EXPECT_EQ(Pty.Heard(4), "PRI\r");
    Pty.Send("+12,345\r");
    AwaitCount(count);
    EXPECT_EQ(Pty.Heard(5), "STO0\r");
  }
  Main->Bu_MeasStop->click();
  EXPECT_EQ(Record("20261208_90503_A7.csv"),
            Header +
                "A7;09:05:03;001;  12,345;  12,345;     0,0;  12,345;  12,345\n\r"
                "A7;09:05:03;002;  12,345;  12,345;     0,0;  12,345;  12,345\n\r");
  EXPECT_EQ(Record("debug.txt"), "test\r\n");
}

TEST_F(PtyRunTest, ModeTwoSimplexReopensTheLineInsteadOfAsking) {
  Begin("ReqMode=2\nCableType=1\nFileMode=0");
  Main->Bu_MeasStart->click();
  EXPECT_TRUE(Main->Serial1().Active());
  EXPECT_EQ(Pty.Heard(1, 300), "") << "Simplex sends no request";
  Pty.Send("+0,500\r");
  AwaitCount("001");
  EXPECT_EQ(Pty.Heard(5), "STO0\r");
  Main->Bu_MeasStop->click();
}

TEST_F(PtyRunTest, ModeThreeWithSignSwap) {
  Begin("ReqMode=3\nQuorvMode=1\nFileMode=2");
  EXPECT_FALSE(Main->Bu_MeasStart->isEnabled());
  Pty.Send("+1,500\r");
  AwaitCount("001");
  EXPECT_EQ(Pty.Heard(5), "STO0\r");
  Main->Bu_MeasStop->click();
  EXPECT_EQ(Record("20261208_90503_A7.csv"),
            Header + "A7;09:05:03;001;  -1,500;    -1,5;     0,0;    -1,5;    -1,5\n\r");
}

}  // namespace
}  // namespace pzam::test
