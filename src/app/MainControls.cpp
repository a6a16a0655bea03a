// The main window's controls: kinds, names, text ids, built-in texts, places, colours and fonts.
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "app/Main.h"
#include "ui/Controls.h"
#include "ui/JpegImage.h"

namespace pzam {

using ui::Place;

namespace {

QLabel* Heading(QWidget* parent, const char* name, int tag, const char* text, const QRect& r) {
  auto* label = Place(new QLabel(QString::fromUtf8(text), parent), name, r, tag);
  label->setFont(ui::SansSerifFont(13, true));
  label->setWordWrap(true);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

ui::TPanel* Figure(QWidget* parent, const char* name, const char* text, const QRect& r) {
  auto* panel = Place(new ui::TPanel(parent), name, r);
  panel->setText(text);
  panel->setFont(ui::ArialFont(16, true));
  return panel;
}

QLineEdit* ReadOnlyField(QWidget* parent, const char* name, const QRect& r) {
  auto* field = Place(new QLineEdit("...", parent), name, r);
  field->setReadOnly(true);
  field->setFont(ui::SansSerifFont(13));
  ui::SetBackground(field, ui::clBtnFace);
  return field;
}

QPushButton* Button(QWidget* parent, const char* name, int tag, const char* text, const QRect& r) {
  auto* button = Place(new QPushButton(QString::fromUtf8(text), parent), name, r, tag);
  button->setFont(ui::SansSerifFont(13));
  ui::PressOnEnter(button);
  return button;
}

}  // namespace

void TF_Main::CreateControls() {
  setObjectName("F_Main");
  ui::SetTag(this, 1000);
  setWindowTitle(" 1000 ZAM2000 V1.01 ");
  setFixedSize(793, 574);
  setFont(ui::SansSerifFont(11));
  setAttribute(Qt::WA_NoSystemBackground, false);
  ui::SetBackground(this, ui::clSkyBlue);

  Im_Logo = Place(new QLabel(this), "Im_Logo", {612, 5, 176, 56});
  Im_Logo->setPixmap(QPixmap::fromImage(ui::LogoImage()));
  const char* firma[] = {"P-ZAM", "Messwerterfassung für digitale Längenmesstaster",
                         "Statistik und Protokoll jeder Messung"};
  QLabel** firmaLabels[] = {&La_Firma1, &La_Firma2, &La_Firma3};
  const char* firmaNames[] = {"La_Firma1", "La_Firma2", "La_Firma3"};
  for (int i = 0; i < 3; ++i) {
    *firmaLabels[i] = Place(new QLabel(QString::fromUtf8(firma[i]), this), firmaNames[i],
                            {8, 8 + 16 * i, 420, 16});
    (*firmaLabels[i])->setFont(ui::SansSerifFont(13, true));
  }
  Shape1 = Place(new QFrame(this), "Shape1", {0, 64, 793, 1});
  Shape1->setFrameStyle(QFrame::HLine | QFrame::Plain);

  Label7 = Heading(this, "Label7", 1001, "1001 Messung", {4, 88, 63, 33});
  Label6 = Heading(this, "Label6", 1002, "1002                 Charge", {80, 88, 145, 33});
  Label8 = Heading(this, "Label8", 1003, "1003        Istwert", {240, 88, 105, 33});
  Label9 = Heading(this, "Label9", 1004, "1004 Mittelwert ", {352, 88, 97, 32});
  Label10 = Heading(this, "Label10", 1005, "1005 Standardabw.", {464, 88, 97, 33});
  Label11 = Heading(this, "Label11", 1006, "1006 Maximum", {576, 88, 97, 33});
  Label12 = Heading(this, "Label12", 1007, "1007 Minimum", {688, 88, 97, 33});

  Pa_Anz = Figure(this, "Pa_Anz", "1", {4, 128, 65, 33});
  Ed_CharNum = Place(new QLineEdit("-----", this), "Ed_CharNum", {80, 131, 145, 27});
  Ed_CharNum->setFont(ui::ArialFont(16, true));
  // Disabled during a run; the batch that is running must stay readable.
  ui::KeepTextReadableWhenDisabled(Ed_CharNum);
  Pa_Ist = Figure(this, "Pa_Ist", "0,000", {240, 128, 100, 33});
  Pa_Mwt = Figure(this, "Pa_Mwt", "0,000", {352, 128, 100, 33});
  Pa_Stw = Figure(this, "Pa_Stw", "0,000", {464, 128, 100, 33});
  Pa_Max = Figure(this, "Pa_Max", "0,000", {576, 128, 100, 33});
  Pa_Min = Figure(this, "Pa_Min", "0,000", {688, 128, 100, 33});
  ui::SetTag(Pa_Min, 1006);

  Label1 = Heading(this, "Label1", 1008, "1008 Datensätze", {8, 184, 115, 16});
  Label1->setWordWrap(false);
  Memo1 = Place(new QPlainTextEdit(this), "Memo1", {4, 208, 785, 209});
  Memo1->setFont(ui::CourierNewFont(13, true));
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  ui::SetBackground(Memo1, ui::clBtnFace);

  Bu_MeasInit = Button(this, "Bu_MeasInit", 1100, "1100 Messung Initialisieren", {4, 440, 209, 25});
  Bu_MeasStart = Button(this, "Bu_MeasStart", 1101, "1101 Messwert holen", {296, 440, 209, 25});
  Bu_MeasStart->setEnabled(false);
  Bu_MeasStop = Button(this, "Bu_MeasStop", 1102, "1102 Messung Beenden", {576, 440, 209, 25});
  Bu_MeasStop->setEnabled(false);

  Panel1 = Place(new ui::TFramePanel(this, true), "Panel1", {4, 472, 785, 97});
  Label3 = Place(new QLabel("1009 Modus", Panel1), "Label3", {12, 9, 72, 16}, 1009);
  Ed_Modus = ReadOnlyField(Panel1, "Ed_Modus", {110, 8, 200, 24});
  Label2 = Place(new QLabel("1010 Datei", Panel1), "Label2", {12, 40, 63, 16}, 1010);
  Ed_Filename = ReadOnlyField(Panel1, "Ed_Filename", {110, 36, 200, 24});
  Label17 = Place(new QLabel("1011 Schnittstelle", Panel1), "Label17", {12, 70, 102, 16}, 1011);
  Ed_ComNum = ReadOnlyField(Panel1, "Ed_ComNum", {110, 64, 200, 24});
  for (QLabel* label : {Label3, Label2, Label17}) label->setFont(ui::SansSerifFont(13));
  Bu_Config = Button(Panel1, "Bu_Config", 1103, "1103 Einstellungen", {572, 8, 209, 25});
  Bu_Analysis = Button(Panel1, "Bu_Analysis", 9100, "9100 Analyse", {572, 40, 209, 25});
  Bu_Plan = Button(Panel1, "Bu_Plan", 9200, "9200 Prüfplan", {340, 8, 209, 25});

  Ti_Startup = new QTimer(this);
  Ti_Startup->setObjectName("Ti_Startup");
  Ti_Startup->setInterval(100);

  setTabOrder(Ed_CharNum, Bu_MeasInit);
  setTabOrder(Bu_MeasInit, Bu_MeasStart);
  setTabOrder(Bu_MeasStart, Bu_MeasStop);
  setTabOrder(Bu_MeasStop, Memo1);
  setTabOrder(Memo1, Bu_Config);
  setTabOrder(Bu_Config, Bu_Analysis);
}

std::vector<QWidget*> TF_Main::Components() const {
  return {Im_Logo,     La_Firma1,    La_Firma2,   La_Firma3, Shape1,     Label7,   Label6,
          Label8,      Label9,       Label10,     Label11,   Label12,    Pa_Anz,   Ed_CharNum,
          Pa_Ist,      Pa_Mwt,       Pa_Stw,      Pa_Max,    Pa_Min,     Label1,   Memo1,
          Bu_MeasInit, Bu_MeasStart, Bu_MeasStop, Panel1,    Label3,     Ed_Modus, Label2,
          Ed_Filename, Label17,      Ed_ComNum,   Bu_Config, Bu_Analysis};
}

}  // namespace pzam
