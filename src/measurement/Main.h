// The main window F_Main: the figures of the current measuring run, the message list, the batch
// number and the buttons that drive a run. The run itself lives in the run core; the handlers
// here read the controls, call the core and show what it reports.
#pragma once

#include <QWidget>
#include <string>

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace pzam {

namespace ui {
class TPanel;
class TFramePanel;
}  // namespace ui

class TF_Config;

class TF_Main : public QWidget {
  Q_OBJECT

 public:
  explicit TF_Main(QWidget* parent = nullptr);
  ~TF_Main() override;

  // The settings window, created right after this one.
  void SetConfig(TF_Config* config) { FConfig = config; }
  TF_Config* Config() const { return FConfig; }

  // Fits the window to the operating mode and save mode chosen in the settings window.
  void ApplyOperatingMode();

  // Handlers (window thread).
  void Bu_MeasInitClick();
  void Bu_MeasStartClick();
  void Bu_MeasStopClick();
  void Bu_ConfigClick();

  // Controls, named as the window describes them.
  QLabel* Im_Logo;
  QLabel* La_Firma1;
  QLabel* La_Firma2;
  QLabel* La_Firma3;
  QFrame* Shape1;
  QLabel* Label7;
  QLabel* Label6;
  QLabel* Label8;
  QLabel* Label9;
  QLabel* Label10;
  QLabel* Label11;
  QLabel* Label12;
  ui::TPanel* Pa_Anz;
  QLineEdit* Ed_CharNum;
  ui::TPanel* Pa_Ist;
  ui::TPanel* Pa_Mwt;
  ui::TPanel* Pa_Stw;
  ui::TPanel* Pa_Max;
  ui::TPanel* Pa_Min;
  QLabel* Label1;
  QPlainTextEdit* Memo1;
  QPushButton* Bu_MeasInit;
  QPushButton* Bu_MeasStart;
  QPushButton* Bu_MeasStop;
  ui::TFramePanel* Panel1;
  QLabel* Label3;
  QLineEdit* Ed_Modus;
  QLabel* Label2;
  QLineEdit* Ed_Filename;
  QLabel* Label17;
  QLineEdit* Ed_ComNum;
  QPushButton* Bu_Config;
  QTimer* Ti_Startup;

 private:
  void CreateControls();
  void ConnectHandlers();

  TF_Config* FConfig = nullptr;
};

}  // namespace pzam
