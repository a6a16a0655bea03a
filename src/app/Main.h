// The main window F_Main: the figures of the current measuring run, the message list, the batch
// number and the buttons that drive a run. The run itself lives in the run core; the handlers
// here read the controls, call the core and show what it reports.
#pragma once

#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/FormatSettings.h"
#include "config/Language.h"
#include "config/ui/ConfigHost.h"

class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace pzam {

namespace comm {
class ICommApi;
}
namespace dfq {
class TDfqOnEnd;
}
namespace serial {
class TCOMManager;
class TSerial;
class TSerPort;
}  // namespace serial
namespace measurement {
class TMeasurementRun;
class TRunSerial;
class TSerialRunBinding;
class TSerialRunPort;
}  // namespace measurement
namespace ui {
class TPanel;
class TFramePanel;
class TQtDispatcher;
}  // namespace ui

class TF_Config;
class TF_Analysis;
class TAnalysisLink;
class TPlantLink;
class TF_Plan;

// What the main window works with. Empty fields take the program's own.
struct TMainSetup {
  // Folder of the settings file and the language files (ending in a separator); default: the
  // executable's folder.
  std::string ProgramDir;
  // The settings file; default: the one the settings rule gives for ProgramDir.
  std::string SettingsPath;
  // The program file read for the version text; default: this program.
  std::string ExecutablePath;
  // Folder of the record and trace files; default: the current directory.
  std::string RunDirectory;
  comm::ICommApi* Comm = nullptr;          // default: the platform's comm calls
  serial::TCOMManager* Manager = nullptr;  // default: the program's port manager
  // The run's plain waits (take value with Simplex, End); default: the thread sleeps.
  std::function<void(std::chrono::milliseconds)> Wait;
  // Decimal separator and long time format; default: the user's regional settings.
  std::optional<TFormatSettings> Format;
  // The clock of record file names and rows; default: the system clock.
  std::function<TDateTime()> Clock;
};

class TF_Main : public QWidget, public IConfigHost {
  Q_OBJECT

 public:
  explicit TF_Main(const TMainSetup& setup = {}, QWidget* parent = nullptr);
  ~TF_Main() override;

  // The settings window, created right after this one.
  void SetConfig(TF_Config* config) { FConfig = config; }
  TF_Config* Config() const { return FConfig; }

  // Fits the window to the operating mode and save mode chosen in the settings window.
  void ApplyOperatingMode() override;
  // Shows the plant data settings; applied ones take effect at once and are written.
  void EditPlantSettings() override;
  TPlantLink& Plant() const { return *FPlant; }
  // Gives both windows the texts of the language named in the settings window.
  void LoadLanguage() override;
  // The text of a text id in the current language ("0" when missing).
  std::string LanguageText(int id) const { return FLanguage.Text(id); }
  const TLanguageTexts& Language() const { return FLanguage; }
  const std::string& VersionText() const { return FVersionText; }
  const std::string& ProgramDir() const { return FProgramDir; }
  // Where the settings are read at start-up and written at close (decided once).
  const std::string& SettingsPath() const { return FSettingsPath; }

  serial::TSerial& Serial1() const override;
  // The modem-line port: configured, never opened by the program.
  serial::TSerPort& SerPort1() const { return *FSerPort1; }
  serial::TCOMManager& Manager() const override { return *FManager; }
  measurement::TMeasurementRun& Run() const { return *FRun; }
  bool Running() const override;
  // The window's components in order of creation.
  std::vector<QWidget*> Components() const;
  // Shows "Com" and the port number of Serial1 in Ed_ComNum.
  void ShowComPort() override;

  // Handlers (window thread).
  void FormCreate();
  void Ti_StartupTimer();
  // Writes the settings file (ending a run first); false when the window must stay open.
  bool FormClose();
  void Bu_MeasInitClick();
  void Bu_MeasStartClick();
  void Bu_MeasStopClick();
  void Bu_ConfigClick();
  // Shows the analysis window modeless, in both run states.
  void Bu_AnalysisClick();
  TF_Analysis& Analysis() const;
  // Shows the plan window modeless.
  void Bu_PlanClick();
  TF_Plan& PlanWindow() const { return *FPlanWindow; }

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
  QPushButton* Bu_Analysis;
  // The way to the plan window, in Panel1's free space (not one of the components).
  QPushButton* Bu_Plan;
  QTimer* Ti_Startup;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  class TRunView;
  class TRunChoices;
  class TPlanSession;

  void CreateControls();
  void ConnectHandlers();
  void CreateRun(const TMainSetup& setup);
  void SetSerial1Properties();
  void SetSerPort1Properties();
  void WriteSettingsFile();
  void WritePlantSection();
  // Initialise with the plan in use; throws ERunError when it cannot be measured.
  void StartPlanRun();
  bool PlanRunning() const;
  void ConnectPlanWindow();

  TF_Config* FConfig = nullptr;
  std::string FProgramDir;
  std::string FSettingsPath;
  std::string FExecutablePath;
  std::string FVersionText;
  TFormatSettings FFormat;
  comm::ICommApi* FComm = nullptr;
  std::string FRunDirectory;
  std::function<void(std::chrono::milliseconds)> FWait;
  std::function<TDateTime()> FClock;
  TLanguageTexts FLanguage;
  serial::TCOMManager* FManager;
  std::unique_ptr<ui::TQtDispatcher> FDispatcher;
  std::unique_ptr<measurement::TRunSerial> FSerial1;
  std::unique_ptr<serial::TSerPort> FSerPort1;
  std::unique_ptr<TRunView> FRunView;
  std::unique_ptr<TRunChoices> FRunChoices;
  std::unique_ptr<measurement::TSerialRunPort> FRunPort;
  std::unique_ptr<measurement::TMeasurementRun> FRun;
  std::unique_ptr<TAnalysisLink> FAnalysis;
  std::unique_ptr<TPlantLink> FPlant;
  std::unique_ptr<dfq::TDfqOnEnd> FDfq;  // [Export] Dfq=1
  TF_Plan* FPlanWindow = nullptr;
  // Last: destroyed first, before the run and the port it binds together.
  std::unique_ptr<measurement::TSerialRunBinding> FBinding;
  // The run of an inspection plan, from its Initialise to the next one.
  std::unique_ptr<TPlanSession> FPlanSession;
};

}  // namespace pzam
