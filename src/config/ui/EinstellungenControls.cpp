// The settings window's controls: kinds, names, text ids, built-in texts, places and fonts.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>

#include "config/ui/Einstellungen.h"
#include "serial/ui/SerDlgs.h"
#include "ui/Controls.h"
#include "ui/RadioGroup.h"

namespace pzam {

using ui::Place;

namespace {

ui::TRadioGroup* Group(QWidget* parent, const char* name, int tag, const char* caption,
                       const QRect& r, const QStringList& items) {
  auto* group = Place(new ui::TRadioGroup(parent), name, r, tag);
  group->setFont(ui::SansSerifFont(13));
  group->SetCaption(QString::fromUtf8(caption));
  group->SetItems(items);
  group->SetItemIndex(0);
  return group;
}

}  // namespace

void TF_Config::CreateControls() {
  setObjectName("F_Config");
  ui::SetTag(this, 2000);
  setWindowTitle("2000 Einstellungen");
  setFixedSize(358, 390);
  setFont(ui::SansSerifFont(11));
  ui::SetBackground(this, ui::clBtnFace);

  RG_REQMode = Group(this, "RG_REQMode", 2001, "2001 ZAM 2000 ....", {10, 5, 341, 162},
                     {" sendet", " wird abgefragt", " Sylvac-Mode", " Quorvant"});
  Bu_Close = Place(new QPushButton(QString::fromUtf8("2006 Schließen"), this), "Bu_Close",
                   {10, 354, 343, 25}, 2006);
  ui::PressOnEnter(Bu_Close);
  RG_SaveData =
      Group(this, "RG_SaveData", 2003, "2003 Datenspeicherung", {10, 171, 341, 102},
            {"keine Messwertdatei anlegen", "Excel-Datei     \"Datum_Charge\" .xls   anlegen",
             "CSV-  Datei     \"Datum_Charge\".csv  anlegen"});
  Panel1 = Place(new ui::TFramePanel(this, true), "Panel1", {10, 282, 341, 65});
  SerPortComboBox1 =
      Place(new TSerPortComboBox(Panel1, &FMain->Manager()), "SerPortComboBox1", {192, 7, 145, 21});
  Label17 = Place(new QLabel("2004 Serielle Schnittstelle Nr.", Panel1), "Label17", {8, 9, 171, 16},
                  2004);
  RG_CableType = Group(this, "RG_CableType", 0, "", {144, 76, 205, 48}, {"Duplex", "Simplex"});
  RG_CableType->SetColumns(2);
  CbB_Sprachwahl = Place(new QComboBox(Panel1), "CbB_Sprachwahl", {192, 36, 145, 21});
  CbB_Sprachwahl->setEditable(true);
  CbB_Sprachwahl->addItems({"deutsch", "english"});
  CbB_Sprachwahl->setCurrentIndex(0);
  CbB_Sprachwahl->setInsertPolicy(QComboBox::NoInsert);
  Label1 = Place(new QLabel("2005 Sprache", Panel1), "Label1", {8, 39, 82, 16}, 2005);
  Bu_Plant = new QPushButton(QStringLiteral("Plant data…"), Panel1);
  Bu_Plant->setObjectName("Bu_Plant");
  Bu_Plant->setGeometry(94, 35, 92, 23);
  Panel2 = Place(new ui::TFramePanel(this, true), "Panel2", {144, 122, 205, 40});
  Cb_QuorvMode = Place(new QCheckBox("20015 Vorzeichen tauschen", Panel2), "Cb_QuorvMode",
                       {10, 12, 183, 17}, 20015);
  for (QWidget* w : std::initializer_list<QWidget*>{Label17, Label1, Cb_QuorvMode}) {
    w->setFont(ui::SansSerifFont(13));
  }

  setTabOrder(RG_REQMode, Bu_Close);
  setTabOrder(Bu_Close, RG_SaveData);
  setTabOrder(RG_SaveData, SerPortComboBox1);
  setTabOrder(SerPortComboBox1, CbB_Sprachwahl);
  setTabOrder(CbB_Sprachwahl, RG_CableType);
  setTabOrder(RG_CableType, Cb_QuorvMode);
}

std::vector<QWidget*> TF_Config::Components() const {
  return {RG_REQMode,   Bu_Close,       RG_SaveData, Panel1, SerPortComboBox1, Label17,
          RG_CableType, CbB_Sprachwahl, Label1,      Panel2, Cb_QuorvMode};
}

}  // namespace pzam
