// The two windows as they are created, before the start-up step: names, text ids, built-in
// texts, enabled and visible states, places, colours and fonts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <span>

#include "WindowsFixture.h"
#include "serial/ui/SerDlgs.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam {
namespace {

struct TControlRow {
  const char* name;
  const char* kind;  // class the control must be (or inherit)
  int tag;
  const char* text;  // built-in text (UTF-8); nullptr: not checked
  QRect position;
};

QString TextOf(QObject* o) {
  if (auto* l = qobject_cast<QLabel*>(o)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(o)) return b->text();
  if (auto* e = qobject_cast<QLineEdit*>(o)) return e->text();
  if (auto* g = qobject_cast<ui::TRadioGroup*>(o)) return g->title();
  if (auto* c = qobject_cast<QComboBox*>(o)) return c->currentText();
  return {};
}

// Each row's control exists in window with its kind, text id, built-in text and place.
void ExpectControls(const QWidget& window, std::span<const TControlRow> rows) {
  for (const TControlRow& row : rows) {
    auto* w = window.findChild<QWidget*>(row.name);
    ASSERT_NE(w, nullptr) << row.name;
    EXPECT_TRUE(w->inherits(row.kind)) << row.name;
    EXPECT_EQ(ui::Tag(w), row.tag) << row.name;
    if (row.text) {
      EXPECT_EQ(TextOf(w), QString::fromUtf8(row.text)) << row.name;
    }
    EXPECT_EQ(w->geometry(), row.position) << row.name;
  }
}

void ExpectParent(const QWidget& window, std::initializer_list<const char*> names,
                  const QWidget* parent) {
  for (const char* name : names) {
    EXPECT_EQ(window.findChild<QWidget*>(name)->parentWidget(), parent) << name;
  }
}

// The next control the Tab key reaches from w.
const QWidget* NextTabStop(const QWidget* w) {
  for (QWidget* n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain()) {
    if ((n->focusPolicy() & Qt::TabFocus) && n->focusProxy() == nullptr && n->isEnabled()) return n;
  }
  return nullptr;
}

class FreshWindowsTest : public test::WindowsTest {
 protected:
  void SetUp() override {
    WindowsTest::SetUp();
    Create();
    Main->Ti_Startup->stop();
  }
};

TEST_F(FreshWindowsTest, MainWindowControlsAreAsDefined) {
  TF_Main& main = *Main;
  const TControlRow rows[] = {
      {"Im_Logo", "QLabel", 0, nullptr, {612, 5, 176, 56}},
      {"Shape1", "QFrame", 0, nullptr, {0, 64, 793, 1}},
      {"Label7", "QLabel", 1001, "1001 Messung", {4, 88, 63, 33}},
      {"Label6", "QLabel", 1002, "1002                 Charge", {80, 88, 145, 33}},
      {"Label8", "QLabel", 1003, "1003        Istwert", {240, 88, 105, 33}},
      {"Label9", "QLabel", 1004, "1004 Mittelwert ", {352, 88, 97, 32}},
      {"Label10", "QLabel", 1005, "1005 Standardabw.", {464, 88, 97, 33}},
      {"Label11", "QLabel", 1006, "1006 Maximum", {576, 88, 97, 33}},
      {"Label12", "QLabel", 1007, "1007 Minimum", {688, 88, 97, 33}},
      {"Pa_Anz", "pzam::ui::TPanel", 0, "1", {4, 128, 65, 33}},
      {"Ed_CharNum", "QLineEdit", 0, "-----", {80, 131, 145, 27}},
      {"Pa_Ist", "pzam::ui::TPanel", 0, "0,000", {240, 128, 100, 33}},
      {"Pa_Mwt", "pzam::ui::TPanel", 0, "0,000", {352, 128, 100, 33}},
      {"Pa_Stw", "pzam::ui::TPanel", 0, "0,000", {464, 128, 100, 33}},
      {"Pa_Max", "pzam::ui::TPanel", 0, "0,000", {576, 128, 100, 33}},
      {"Pa_Min", "pzam::ui::TPanel", 1006, "0,000", {688, 128, 100, 33}},
      {"Label1", "QLabel", 1008, "1008 Datensätze", {8, 184, 115, 16}},
      {"Memo1", "QPlainTextEdit", 0, nullptr, {4, 208, 785, 209}},
      {"Bu_MeasInit", "QPushButton", 1100, "1100 Messung Initialisieren", {4, 440, 209, 25}},
      {"Bu_MeasStart", "QPushButton", 1101, "1101 Messwert holen", {296, 440, 209, 25}},
      {"Bu_MeasStop", "QPushButton", 1102, "1102 Messung Beenden", {576, 440, 209, 25}},
      {"Panel1", "pzam::ui::TFramePanel", 0, nullptr, {4, 472, 785, 97}},
      {"Label3", "QLabel", 1009, "1009 Modus", {12, 9, 72, 16}},
      {"Ed_Modus", "QLineEdit", 0, "...", {110, 8, 200, 24}},
      {"Label2", "QLabel", 1010, "1010 Datei", {12, 40, 63, 16}},
      {"Ed_Filename", "QLineEdit", 0, "...", {110, 36, 200, 24}},
      {"Label17", "QLabel", 1011, "1011 Schnittstelle", {12, 70, 102, 16}},
      {"Ed_ComNum", "QLineEdit", 0, "...", {110, 64, 200, 24}},
      {"Bu_Config", "QPushButton", 1103, "1103 Einstellungen", {572, 8, 209, 25}},
  };
  ExpectControls(main, rows);
  // The bottom panel holds the last seven controls.
  ExpectParent(main,
               {"Label3", "Ed_Modus", "Label2", "Ed_Filename", "Label17", "Ed_ComNum", "Bu_Config"},
               main.Panel1);

  EXPECT_EQ(main.windowTitle(), QString(" 1000 ZAM2000 V1.01 "));
  EXPECT_EQ(ui::Tag(&main), 1000);
  EXPECT_EQ(main.palette().color(QPalette::Window), QColor(166, 202, 240));
  EXPECT_TRUE(main.Bu_MeasInit->isEnabled());
  EXPECT_FALSE(main.Bu_MeasStart->isEnabled());
  EXPECT_FALSE(main.Bu_MeasStop->isEnabled());
  EXPECT_TRUE(main.Bu_Config->isEnabled());
  EXPECT_TRUE(main.Ed_CharNum->isEnabled());
  for (QLineEdit* e : {main.Ed_Modus, main.Ed_Filename, main.Ed_ComNum}) {
    EXPECT_TRUE(e->isReadOnly());
    EXPECT_EQ(e->palette().color(QPalette::Base), ui::clBtnFace);
  }
  EXPECT_TRUE(main.Memo1->toPlainText().isEmpty());
  EXPECT_EQ(main.Memo1->palette().color(QPalette::Base), ui::clBtnFace);
  EXPECT_TRUE(main.Memo1->font().fixedPitch());
  EXPECT_EQ(main.Memo1->font().pixelSize(), 13);
  EXPECT_EQ(main.Pa_Ist->font().pixelSize(), 16);
  EXPECT_TRUE(main.Pa_Ist->font().bold());
  EXPECT_EQ(main.Label7->font().pixelSize(), 13);
  EXPECT_TRUE(main.Label7->wordWrap());
  EXPECT_EQ(main.Ti_Startup->interval(), 100);
  EXPECT_FALSE(main.La_Firma1->text().isEmpty());
  EXPECT_FALSE(main.Im_Logo->pixmap().isNull());
}

TEST_F(FreshWindowsTest, SettingsWindowControlsAreAsDefined) {
  TF_Config& config = *Config;
  const TControlRow rows[] = {
      {"RG_REQMode", "pzam::ui::TRadioGroup", 2001, "2001 ZAM 2000 ....", {10, 5, 341, 162}},
      {"Bu_Close", "QPushButton", 2006, "2006 Schließen", {10, 354, 343, 25}},
      {"RG_SaveData", "pzam::ui::TRadioGroup", 2003, "2003 Datenspeicherung", {10, 171, 341, 102}},
      {"Panel1", "pzam::ui::TFramePanel", 0, nullptr, {10, 282, 341, 65}},
      {"SerPortComboBox1", "pzam::TSerPortComboBox", 0, nullptr, {192, 7, 145, 21}},
      {"Label17", "QLabel", 2004, "2004 Serielle Schnittstelle Nr.", {8, 9, 171, 16}},
      {"RG_CableType", "pzam::ui::TRadioGroup", 0, "", {144, 76, 205, 48}},
      {"CbB_Sprachwahl", "QComboBox", 0, "deutsch", {192, 36, 145, 21}},
      {"Label1", "QLabel", 2005, "2005 Sprache", {8, 39, 82, 16}},
      {"Panel2", "pzam::ui::TFramePanel", 0, nullptr, {144, 122, 205, 40}},
      {"Cb_QuorvMode", "QCheckBox", 20015, "20015 Vorzeichen tauschen", {10, 12, 183, 17}},
  };
  ExpectControls(config, rows);
  ExpectParent(config, {"SerPortComboBox1", "Label17", "CbB_Sprachwahl", "Label1"}, config.Panel1);
  EXPECT_EQ(config.Cb_QuorvMode->parentWidget(), config.Panel2);

  EXPECT_EQ(config.windowTitle(), QString("2000 Einstellungen"));
  EXPECT_FALSE(config.isVisible());
  EXPECT_EQ(config.RG_REQMode->Items(),
            QStringList({" sendet", " wird abgefragt", " Sylvac-Mode", " Quorvant"}));
  EXPECT_EQ(
      config.RG_SaveData->Items(),
      QStringList({"keine Messwertdatei anlegen", "Excel-Datei     \"Datum_Charge\" .xls   anlegen",
                   "CSV-  Datei     \"Datum_Charge\".csv  anlegen"}));
  EXPECT_EQ(config.RG_CableType->Items(), QStringList({"Duplex", "Simplex"}));
  EXPECT_EQ(config.RG_CableType->Columns(), 2);
  for (ui::TRadioGroup* g : {config.RG_REQMode, config.RG_SaveData, config.RG_CableType}) {
    EXPECT_EQ(g->ItemIndex(), 0) << g->objectName().toStdString();
  }
  EXPECT_FALSE(config.Cb_QuorvMode->isChecked());
  EXPECT_TRUE(config.CbB_Sprachwahl->isEditable());
  EXPECT_FALSE(config.SerPortComboBox1->isEditable());
  EXPECT_EQ(config.CbB_Sprachwahl->count(), 2);

  // Tab order: mode, close, save mode, port list, language, cable type, sign swap.
  const QWidget* order[] = {config.RG_REQMode,       config.Bu_Close,       config.RG_SaveData,
                            config.SerPortComboBox1, config.CbB_Sprachwahl, config.RG_CableType,
                            config.Cb_QuorvMode};
  for (size_t i = 0; i + 1 < std::size(order); ++i) {
    EXPECT_EQ(NextTabStop(order[i]), order[i + 1]) << i;
  }
}

}  // namespace
}  // namespace pzam
