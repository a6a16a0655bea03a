// The shared widgets: radio group rules, the error box text, the JPEG decoder, the dispatcher.
#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTextLayout>
#include <atomic>
#include <stdexcept>
#include <thread>

#include "QtApp.h"
#include "ui/JpegImage.h"
#include "ui/MessageBoxes.h"
#include "ui/QtDispatcher.h"
#include "ui/RadioGroup.h"

namespace pzam::ui {
namespace {

class WidgetsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::QtApp(); }
};

TEST_F(WidgetsTest, RadioGroupRaisesClickOnlyWhenTheSelectionChanges) {
  TRadioGroup group;
  group.resize(200, 120);
  group.SetItems({"a", "b", "c", "d"});
  EXPECT_EQ(group.ItemIndex(), -1);
  int clicks = 0;
  QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });

  struct Step {
    int set;
    int expectIndex;
    int expectClicks;
  };
  const Step steps[] = {
      {2, 2, 1},    // a change by code raises the handler
      {2, 2, 1},    // the same item again: nothing
      {9, 3, 2},    // above the last item: the last item
      {-1, -1, 2},  // to no selection: no handler
      {-5, -1, 2},  // below -1: no selection, unchanged
      {0, 0, 3},
  };
  for (const Step& s : steps) {
    group.SetItemIndex(s.set);
    EXPECT_EQ(group.ItemIndex(), s.expectIndex) << "set " << s.set;
    EXPECT_EQ(clicks, s.expectClicks) << "set " << s.set;
    for (int i = 0; i < group.Count(); ++i) {
      EXPECT_EQ(group.Button(i)->isChecked(), i == s.expectIndex);
    }
  }
}

TEST_F(WidgetsTest, RadioGroupOperatorClicksFollowTheSameRule) {
  TRadioGroup group;
  group.resize(200, 120);
  group.SetItems({"a", "b", "c"});
  group.SetItemIndex(0);
  int clicks = 0;
  QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });
  group.show();

  // A radio button reacts on its indicator and text, so click near its left end.
  const auto click = [&](int i) {
    QTest::mouseClick(group.Button(i), Qt::LeftButton, {},
                      QPoint(6, group.Button(i)->height() / 2));
  };
  click(0);  // already selected
  EXPECT_EQ(clicks, 0);
  EXPECT_TRUE(group.Button(0)->isChecked()) << "a click on the selected item keeps it";
  click(2);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(group.ItemIndex(), 2);
  EXPECT_FALSE(group.Button(0)->isChecked());
  QTest::keyClick(&group, Qt::Key_Up);
  EXPECT_EQ(group.ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
}

TEST_F(WidgetsTest, RadioGroupReplacedItemsLeaveNoSelection) {
  TRadioGroup group;
  group.SetItems({"a", "b"});
  group.SetItemIndex(1);
  int clicks = 0;
  QObject::connect(&group, &TRadioGroup::Click, [&] { ++clicks; });
  group.SetItems({"x", "y", "z"});
  EXPECT_EQ(group.ItemIndex(), -1);
  EXPECT_EQ(group.Items(), QStringList({"x", "y", "z"}));
  EXPECT_EQ(clicks, 0);
  group.SetItemIndex(1);  // re-selecting after a rebuild is a change
  EXPECT_EQ(clicks, 1);
  group.ClearItems();
  group.SetItemIndex(0);  // no items: stays -1
  EXPECT_EQ(group.ItemIndex(), -1);
  EXPECT_EQ(clicks, 1);
}

TEST_F(WidgetsTest, ErrorBoxTextAddsAFullStopAfterCharactersAboveIt) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"Stream-Schreibfehler", "Stream-Schreibfehler."},
      {"Fertig.", "Fertig."},
      {"Wirklich?", "Wirklich?."},  // '?' sorts after '.'
      {"Ende!", "Ende!"},           // '!' sorts before '.'
      {"Wert -", "Wert -"},
      {"E/A-Fehler 5", "E/A-Fehler 5."},
      {"Datei \"a.xls\"", "Datei \"a.xls\""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorBoxText(c.in), QString(c.out)) << c.in;
  EXPECT_EQ(ErrorBoxText("Größe"), QString::fromUtf8("Größe."));
}

TEST_F(WidgetsTest, GuardTurnsAnEscapingErrorIntoTheErrorBox) {
  std::vector<std::tuple<TBoxKind, QString, QString>> shown;
  TBoxPresenter previous = SetBoxPresenter(
      [&](TBoxKind k, const QString& c, const QString& t) { shown.emplace_back(k, c, t); });
  auto slot = Guarded([] { throw std::runtime_error("Datei nicht gefunden"); });
  slot();
  Guard([] {});
  SetBoxPresenter(previous);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(std::get<0>(shown[0]), TBoxKind::Error);
  EXPECT_EQ(std::get<1>(shown[0]), QString("P-ZAM"));
  EXPECT_EQ(std::get<2>(shown[0]), QString("Datei nicht gefunden."));
}

TEST_F(WidgetsTest, MessageBoxesHaveTheirSymbolAndOneOkButton) {
  auto error = MakeMessageBox(TBoxKind::Error, "P-ZAM", "x.");
  EXPECT_EQ(error->icon(), QMessageBox::Critical);
  EXPECT_EQ(error->windowTitle(), QString("P-ZAM"));
  EXPECT_EQ(error->standardButtons(), QMessageBox::Ok);
  auto info = MakeMessageBox(TBoxKind::Information, "Informationen", "y");
  EXPECT_EQ(info->icon(), QMessageBox::Information);
  EXPECT_EQ(info->text(), QString("y"));
}

// The error text of a record file whose batch number is 300 characters long: the box wraps it
// within the screen, and the reader sees every character of it.
TEST_F(WidgetsTest, AnErrorBoxWrapsAVeryLongPathWithinTheScreen) {
  const QString path = "/home/op/run/091226_" + QString(300, 'B') + ".csv";
  const QString text = "Datei \"" + path + "\" kann nicht erstellt werden. Keine Berechtigung.";
  auto box = MakeMessageBox(TBoxKind::Error, "P-ZAM", text);
  box->show();
  QApplication::processEvents();
  EXPECT_LE(box->width(), box->screen()->availableGeometry().width());
  const auto* label = box->findChild<QLabel*>("qt_msgbox_label");
  ASSERT_NE(label, nullptr);
  EXPECT_LE(label->width(), box->width());
  // Laid out as the label wraps its words, no line is wider than the label.
  const int width = label->contentsRect().width();
  QTextLayout layout(label->text(), label->font());
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width);
    EXPECT_LE(line.naturalTextWidth(), width) << "line from " << line.textStart();
  }
  layout.endLayout();
  QString shown = label->text();
  shown.remove(QChar(0x200B));
  EXPECT_EQ(shown, text);
  box->hide();
}

TEST_F(WidgetsTest, BreakableTextMarksSeparatorsAndLongRunsOnly) {
  const QString z(QChar(0x200B));
  const struct {
    QString in;
    QString out;
  } rows[] = {
      {"ab cd ef", "ab cd ef"},
      {"a/b\\c", "a/" + z + "b\\" + z + "c"},
      {"abcdefgh ij", "abcd" + z + "efgh" + z + " ij"},
      {"abc defg", "abc defg" + z},
  };
  for (const auto& r : rows) EXPECT_EQ(BreakableText(r.in, 4), r.out) << r.in.toStdString();
}

TEST_F(WidgetsTest, TheLogoDecodesWithLibjpeg) {
  const QImage logo = LogoImage();
  ASSERT_FALSE(logo.isNull());
  EXPECT_EQ(logo.width(), 176);
  EXPECT_EQ(logo.height(), 56);
  // A white margin and dark ink: the picture is really decoded, not an empty image.
  EXPECT_GT(qGray(logo.pixel(1, 53)), 230);
  int dark = 0;
  for (int y = 0; y < 56; ++y)
    for (int x = 0; x < 176; ++x) dark += qGray(logo.pixel(x, y)) < 80;
  EXPECT_GT(dark, 300);
}

TEST_F(WidgetsTest, DamagedJpegDataGivesANullImage) {
  QFile file(":/pzam/logo.jpg");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray jpeg = file.readAll();
  EXPECT_TRUE(DecodeJpeg(QByteArray()).isNull());
  EXPECT_TRUE(DecodeJpeg("not a picture at all").isNull());
  EXPECT_TRUE(DecodeJpeg(jpeg.left(20)).isNull());
  QByteArray broken = jpeg;
  for (int i = 2; i < 200 && i < broken.size(); ++i) broken[i] = char(0xFF);
  EXPECT_TRUE(DecodeJpeg(broken).isNull());
}

TEST_F(WidgetsTest, DispatcherRunsWorkOnTheWindowThread) {
  TQtDispatcher dispatcher;
  const Qt::HANDLE windowThread = QThread::currentThreadId();
  bool ranInline = false;
  dispatcher.Send([&] { ranInline = true; });
  EXPECT_TRUE(ranInline) << "Send on the window thread runs at once";

  std::atomic<int> posted{0};
  Qt::HANDLE sentOn = nullptr;
  Qt::HANDLE postedOn = nullptr;
  std::atomic<bool> sendReturned{false};
  std::thread worker([&] {
    dispatcher.Post([&] {
      postedOn = QThread::currentThreadId();
      ++posted;
    });
    dispatcher.Send([&] { sentOn = QThread::currentThreadId(); });
    sendReturned = true;
  });
  ASSERT_TRUE(pzam::test::WaitUntil([&] { return sendReturned.load(); }, 5000));
  worker.join();
  EXPECT_EQ(posted.load(), 1) << "posted work runs before later sent work";
  EXPECT_EQ(sentOn, windowThread);
  EXPECT_EQ(postedOn, windowThread);
}

}  // namespace
}  // namespace pzam::ui
