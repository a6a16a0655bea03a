// The analysis window with the main window: the tolerance keys of the settings file, the refusal
// of bad limits, the limits fixed during a run, the actual value's colour, and the window
// following a run that comes over a pseudo-terminal.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "WindowsFixture.h"
#include "analysis/ui/Analysis.h"
#include "analysis/ui/AnalysisTexts.h"
#include "analysis/ui/Charts.h"
#include "config/Profile.h"
#include "serial/Serial.h"
#include "serial/comm/PortNames.h"
#include "serial/comm/PosixCommApi.h"
#include "support/PtyPair.h"
#include "ui/Controls.h"

namespace pzam::test {
namespace {

class AnalysisWindowTest : public WindowsTest {
 protected:
  TF_Analysis& Analysis() const { return Main->Analysis(); }
  std::string Settings() const {
    std::ifstream in(SettingsPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  // Types text into a field as the operator does: the old text selected and replaced.
  static void Type(QLineEdit* field, const char* text) {
    field->selectAll();
    if (*text == '\0') {
      QTest::keyClick(field, Qt::Key_Delete);
    } else {
      QTest::keyClicks(field, text);
    }
  }
  // A value in operating mode 2 arrives on the recording comm layer.
  void Value(const char* text, const char* count) {
    Comm.Receive(std::string(text) + "\r");
    AwaitCount(count);
  }
  bool Coloured(const QColor& colour) const {
    return Main->Pa_Ist->autoFillBackground() &&
           Main->Pa_Ist->palette().color(QPalette::Window) == colour;
  }
};

const std::string kWithTolerance =
    "[Select]\nReqMode=2\nFileMode=0\n[Language]\nLastLanguage=deutsch\n"
    "[Tolerance]\nNominal=12,345\nLower=12,340\nUpper=12,350\n";

TEST_F(AnalysisWindowTest, TheLimitsComeFromTheSettingsFile) {
  Start(kWithTolerance);
  EXPECT_EQ(Analysis().Ed_Nominal->text(), QString("12,345"));
  EXPECT_EQ(Analysis().Ed_Lower->text(), QString("12,340"));
  EXPECT_EQ(Analysis().Ed_Upper->text(), QString("12,350"));
  const analysis::TTolerance& t = Analysis().Tolerance();
  EXPECT_EQ(t.Nominal, 12.345);
  EXPECT_EQ(t.Lower, 12.34);
  EXPECT_EQ(t.Upper, 12.35);
  EXPECT_EQ(Analysis().La_LowerReason->text(), QString());
}

TEST_F(AnalysisWindowTest, TheLimitsAreWrittenAfterTheOtherKeysAndReadBack) {
  // Written by a program before the tolerance: every other key, in the program's order.
  const std::string select = "[Select]\nReqMode=2\nFileMode=0\nCableType=0\nQuorvMode=0\n";
  Start("[Serial]\nCOM=0\n" + select + "[Language]\nLastLanguage=deutsch\n");
  EXPECT_FALSE(Analysis().Tolerance().Any());
  Type(Analysis().Ed_Nominal, "12,345");
  Type(Analysis().Ed_Lower, "12,340");
  Type(Analysis().Ed_Upper, "12,350");
  EXPECT_EQ(Analysis().Tolerance().Lower, 12.34);
  Type(Analysis().Ed_Lower, "");
  Type(Analysis().Ed_Upper, "12,4");
  ASSERT_TRUE(Main->FormClose());
  const std::string written = Settings();
  EXPECT_TRUE(written.starts_with("[Serial]\nCOM=MZT")) << written;
  const std::size_t at = written.find(select);
  ASSERT_NE(at, std::string::npos) << written;
  EXPECT_EQ(written.substr(at), select +
                                    "[Language]\nLastLanguage=deutsch\n"
                                    "[Tolerance]\nNominal=12,345\nLower=\nUpper=12,4\n");

  // The next start reads back exactly the one-sided tolerance.
  Main.reset();
  Config.reset();
  Start();
  EXPECT_EQ(Analysis().Ed_Lower->text(), QString());
  EXPECT_FALSE(Analysis().Tolerance().Lower.has_value());
  EXPECT_EQ(Analysis().Tolerance().Upper, 12.4);
}

TEST_F(AnalysisWindowTest, WithoutTheSectionThereIsNoTolerance) {
  Start(SettingsText("ReqMode=2", "deutsch"));
  EXPECT_FALSE(Analysis().Tolerance().Any());
  EXPECT_FALSE(Analysis().Tolerance().Nominal.has_value());
  EXPECT_EQ(Analysis().Ed_Nominal->text(), QString());
}

TEST_F(AnalysisWindowTest, ABadLimitIsRefusedBesideItsFieldAndTheLimitsInForceStay) {
  Start(kWithTolerance);
  struct {
    const char* field;
    const char* text;
    const char* reasonLabel;
    int reason;
  } cases[] = {
      {"Ed_Lower", "abc", "La_LowerReason", textid::kNotANumber},
      {"Ed_Nominal", "12,3x", "La_NominalReason", textid::kNotANumber},
      {"Ed_Upper", "12,340", "La_UpperReason", textid::kLowerNotBelow},  // equal to LSL
      {"Ed_Upper", "12,3", "La_UpperReason", textid::kLowerNotBelow},    // below LSL
      {"Ed_Lower", "12,36", "La_UpperReason", textid::kLowerNotBelow},   // above USL
  };
  for (const auto& c : cases) {
    auto* field = Analysis().findChild<QLineEdit*>(c.field);
    const QString before = field->text();
    field->setText(c.text);
    for (const char* name : {"La_NominalReason", "La_LowerReason", "La_UpperReason"}) {
      const QString expected =
          std::string(name) == c.reasonLabel ? QString::fromStdString(Text(c.reason)) : QString();
      EXPECT_EQ(Analysis().findChild<QLabel*>(name)->text(), expected) << c.field << " " << c.text;
    }
    EXPECT_EQ(Analysis().Tolerance().Lower, 12.34) << c.text;
    EXPECT_EQ(Analysis().Tolerance().Upper, 12.35) << c.text;
    EXPECT_EQ(Analysis().ToleranceTexts().Lower, "12,340");
    field->setText(before);
    EXPECT_EQ(Analysis().La_LowerReason->text() + Analysis().La_UpperReason->text() +
                  Analysis().La_NominalReason->text(),
              QString())
        << "mended: " << c.text;
  }
  // The refused text is not what the settings file keeps.
  Type(Analysis().Ed_Lower, "abc");
  ASSERT_TRUE(Main->FormClose());
  EXPECT_NE(Settings().find("Lower=12,340\n"), std::string::npos);
}

TEST_F(AnalysisWindowTest, TheLimitsAreFixedFromInitialiseToEnd) {
  Start(kWithTolerance);
  Main->Bu_MeasInit->click();
  ASSERT_TRUE(Main->Running());
  for (QLineEdit* field : {Analysis().Ed_Nominal, Analysis().Ed_Lower, Analysis().Ed_Upper}) {
    EXPECT_TRUE(field->isReadOnly()) << field->objectName().toStdString();
  }
  Type(Analysis().Ed_Upper, "13");
  EXPECT_EQ(Analysis().Tolerance().Upper, 12.35);
  Main->Bu_MeasStop->click();
  EXPECT_FALSE(Analysis().Ed_Upper->isReadOnly());
  Type(Analysis().Ed_Upper, "13");
  EXPECT_EQ(Analysis().Tolerance().Upper, 13.0);
}

TEST_F(AnalysisWindowTest, TheActualValueIsGreenInsideAndRedOutside) {
  Start(kWithTolerance);
  const QPalette plain = Main->Pa_Ist->palette();
  Main->Bu_MeasInit->click();
  const QColor green(90, 210, 90), red(235, 70, 70);
  struct {
    const char* text;
    bool inside;
  } values[] = {{"+12,345", true},  {"+12,351", false}, {"+12,350", true},
                {"+12,339", false}, {"+12,340", true},  {"-12,345", false}};
  int n = 0;
  for (const auto& v : values) {
    char count[16];
    std::snprintf(count, sizeof count, "%03d", ++n);
    Value(v.text, count);
    EXPECT_TRUE(Coloured(v.inside ? green : red)) << v.text;
  }
  // End keeps the colour of the last value; Initialise shows the panel as it always was.
  Main->Bu_MeasStop->click();
  EXPECT_TRUE(Coloured(red));
  Main->Bu_MeasInit->click();
  EXPECT_FALSE(Main->Pa_Ist->autoFillBackground());
  EXPECT_EQ(Main->Pa_Ist->palette(), plain);
  Main->Bu_MeasStop->click();

  // Without a tolerance a value leaves the panel exactly as it was.
  Type(Analysis().Ed_Lower, "");
  Type(Analysis().Ed_Upper, "");
  Main->Bu_MeasInit->click();
  Value("+99,000", "001");
  EXPECT_FALSE(Main->Pa_Ist->autoFillBackground());
  EXPECT_EQ(Main->Pa_Ist->palette(), plain);
  // A one-sided tolerance judges against the one limit.
  Main->Bu_MeasStop->click();
  Type(Analysis().Ed_Upper, "50");
  EXPECT_TRUE(Coloured(red)) << "the finished run's last value, judged by the new limit";
  Main->Bu_MeasInit->click();
  Value("-99,000", "001");
  EXPECT_TRUE(Coloured(green));
  Main->Bu_MeasStop->click();
}

// A whole run on a pseudo-terminal, mode 3 with the sign swapped: the window holds the signed
// values as the value table does, keeps them after End and starts afresh at Initialise.
class AnalysisPtyTest : public AnalysisWindowTest {
 protected:
  void SetUp() override {
    AnalysisWindowTest::SetUp();
    Pty.HoldSlave();
    ASSERT_TRUE(Pty.Ok());
    Names.SetExplicitMap({{5, Pty.SlavePath()}});
    Posix = std::make_unique<comm::TPosixCommApi>(Names);
    Manager = std::make_unique<serial::TCOMManager>(*Posix, 4);
    Api = Posix.get();
  }
  void TearDown() override {
    Config.reset();
    Main.reset();
    Manager.reset();
    Posix.reset();
    AnalysisWindowTest::TearDown();
  }
  TPtyPair Pty;
  comm::TPortNames Names{"/nonexistent-dev"};
  std::unique_ptr<comm::TPosixCommApi> Posix;
};

TEST_F(AnalysisPtyTest, TheWindowFollowsTheRun) {
  Start(
      "[Select]\nReqMode=3\nQuorvMode=1\nFileMode=0\n[Language]\nLastLanguage=deutsch\n"
      "[Tolerance]\nLower=-1,2\nUpper=-0,9\n");
  Main->Serial1().SetCOMPort(5);
  Main->Bu_AnalysisClick();
  ASSERT_TRUE(Analysis().isVisible());
  Main->Bu_MeasInit->click();
  ASSERT_TRUE(Main->Serial1().Active());

  const char* sent[] = {"+1,000", "+1,100", "+0,900", "+1,300", "+1,050"};
  const std::vector<double> expected = {-1.0, -1.1, -0.9, -1.3, -1.05};
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(Pty.Send(std::string(sent[i]) + "\r"));
    char count[16];
    std::snprintf(count, sizeof count, "%03d", i + 1);
    AwaitCount(count);
    // The figures follow one turn of the event loop later.
    EXPECT_TRUE(WaitUntil([&] { return Analysis().Figures().N == i + 1; })) << i;
  }
  EXPECT_EQ(std::vector<double>(Analysis().Values().begin(), Analysis().Values().end()), expected);
  EXPECT_EQ(Analysis().Figures().BelowLsl, 1);
  EXPECT_EQ(Analysis().Figures().InTolerance, 4);
  EXPECT_EQ(Analysis().Charts().OutsidePoints(), 1);
  EXPECT_TRUE(Analysis().Bu_Report->isEnabled());

  Main->Bu_MeasStop->click();
  QApplication::processEvents();
  EXPECT_EQ(Analysis().Values().size(), 5u);
  EXPECT_EQ(Analysis().Figures().N, 5);

  Main->Bu_MeasInit->click();
  EXPECT_TRUE(WaitUntil([&] { return Analysis().Figures().N == 0; }));
  EXPECT_TRUE(Analysis().Values().empty());
  EXPECT_FALSE(Analysis().Bu_Report->isEnabled());
  Main->Bu_MeasStop->click();
}

}  // namespace
}  // namespace pzam::test

namespace pzam::test {
namespace {

// A screen smaller than the window's wish (the offscreen screen is 800 x 600): the window opens
// within the available size, or at the least its layout needs, and lies on the screen.
TEST_F(AnalysisWindowTest, TheWindowOpensWithinTheScreen) {
  Start(kWithTolerance);
  Main->Bu_AnalysisClick();
  ASSERT_TRUE(WaitUntil([&] { return Analysis().isVisible(); }));
  const QRect avail = Analysis().screen()->availableGeometry();
  const QSize least = Analysis().minimumSizeHint();
  EXPECT_LE(Analysis().width(), std::max(avail.width(), least.width()));
  EXPECT_LE(Analysis().height(), std::max(avail.height(), least.height()));
  EXPECT_TRUE(avail.contains(Analysis().pos())) << Analysis().x() << "," << Analysis().y();
}

}  // namespace
}  // namespace pzam::test
