#include "app/Main.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include "analysis/ui/Analysis.h"
#include "app/AnalysisLink.h"
#include "app/MainAdapters.h"
#include "app/PlanSession.h"
#include "app/PlantLink.h"
#include "common/Paths.h"
#include "common/ReasonTexts.h"
#include "config/SettingsFile.h"
#include "config/TextIds.h"
#include "config/VersionText.h"
#include "config/ui/Einstellungen.h"
#include "config/ui/LanguageWindows.h"
#include "export/DfqOnEnd.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RunSerial.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "plan/ui/PlanTexts.h"
#include "plan/ui/PlanWindow.h"
#include "serial/SerPort.h"
#include "serial/Serial.h"
#include "serial/comm/PlatformCommApi.h"
#include "ui/Controls.h"
#include "ui/MessageBoxes.h"
#include "ui/QtDispatcher.h"
#include "ui/RadioGroup.h"

namespace pzam {

TF_Main::TF_Main(const TMainSetup& setup, QWidget* parent)
    : QWidget(parent),
      FProgramDir(setup.ProgramDir.empty() ? ExecutableDir() : setup.ProgramDir),
      FSettingsPath(setup.SettingsPath.empty() ? SettingsFilePathIn(FProgramDir)
                                               : setup.SettingsPath),
      FExecutablePath(setup.ExecutablePath.empty() ? ExecutablePath() : setup.ExecutablePath),
      FManager(setup.Manager != nullptr ? setup.Manager : &serial::ComManager()),
      FDispatcher(std::make_unique<ui::TQtDispatcher>()) {
  CreateControls();
  CreateRun(setup);
  FAnalysis = std::make_unique<TAnalysisLink>(*this, setup.RunDirectory);
  FAnalysis->Window().SetDecimalSeparator(FFormat.DecimalSeparator);
  // The journal first: a value is durable before anything else is told of it.
  FPlant = std::make_unique<TPlantLink>(Panel1, FSettingsPath, [this](const std::string& line) {
    Memo1->appendPlainText(QString::fromStdString(line));
  });
  FPlant->SetTextSource([this](int id) { return LanguageText(id); });
  FRun->AddListener(FPlant->Journal());
  FRun->AddListener(*FAnalysis);
  FDfq = std::make_unique<dfq::TDfqOnEnd>(
      [this](const std::string& line) { Memo1->appendPlainText(QString::fromStdString(line)); },
      setup.RunDirectory);
  FRun->AddListener(*FDfq);
  FPlanWindow = new TF_Plan(this);
  FPlanWindow->SetTextSource([this](int id) { return LanguageText(id); });
  ConnectPlanWindow();
  ConnectHandlers();
  if (const QScreen* screen = this->screen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
  FormCreate();
}

// The binding goes first (its handlers touch the run no more), then the run, then Serial1.
TF_Main::~TF_Main() {
  SetReasonTexts({});
}

void TF_Main::ConnectHandlers() {
  using ui::Guarded;
  connect(Bu_MeasInit, &QPushButton::clicked, this, Guarded([this] { Bu_MeasInitClick(); }));
  connect(Bu_MeasStart, &QPushButton::clicked, this, Guarded([this] { Bu_MeasStartClick(); }));
  connect(Bu_MeasStop, &QPushButton::clicked, this, Guarded([this] { Bu_MeasStopClick(); }));
  connect(Bu_Config, &QPushButton::clicked, this, Guarded([this] { Bu_ConfigClick(); }));
  connect(Bu_Analysis, &QPushButton::clicked, this, Guarded([this] { Bu_AnalysisClick(); }));
  connect(Bu_Plan, &QPushButton::clicked, this, Guarded([this] { Bu_PlanClick(); }));
  connect(Ti_Startup, &QTimer::timeout, this, Guarded([this] { Ti_StartupTimer(); }));
}

bool TF_Main::Running() const {
  return FRun->Running() || PlanRunning();
}

// Ports scanned to 40, the version text built, then the start-up step 100 ms later.
void TF_Main::FormCreate() {
  ui::SetBackground(this, ui::clSkyBlue);
  FManager->ScanPorts(40);
  FVersionText = ReadVersionText(FExecutablePath);
  Ti_Startup->start();
}

void TF_Main::LoadLanguage() {
  ui::TLanguageWindows windows(Components(), *FConfig);
  pzam::LoadLanguage(windows, FLanguage, FProgramDir);
  SetReasonTexts([texts = FLanguage](int id) { return texts.Text(id); });
  FAnalysis->Window().Retranslate();
  FPlanWindow->Retranslate();
  Bu_Plan->setText(QString::fromStdString(LanguageText(textid::kPlanButton)));
  FPlant->ShowState();
}

void TF_Main::ShowComPort() {
  Ed_ComNum->setText(QStringLiteral("Com%1").arg(FSerial1->COMPort()));
}

void TF_Main::ApplyOperatingMode() {
  const int mode = FConfig->RG_REQMode->ItemIndex();
  const auto text = [this](int id) { return QString::fromStdString(LanguageText(id)); };
  switch (mode) {
    case 0:
      Ed_Modus->setText(text(textid::kModeItem0));
      Bu_MeasStart->setText(QString());
      break;
    case 1:
      Ed_Modus->setText(text(textid::kModeItem0 + 1));
      Bu_MeasStart->setText(text(textid::kPollValue));
      break;
    case 2: {
      const int cable = FConfig->RG_CableType->ItemIndex();
      if (cable == 0) Ed_Modus->setText("Sylvac duplex");
      if (cable == 1) Ed_Modus->setText("Sylvac simplex");
      Bu_MeasStart->setText(text(textid::kTakeValue));
      break;
    }
    case 3:
      Ed_Modus->setText(FConfig->SignSwap() ? "Quorvant --> x (-1)" : "Quorvant --> x (+1)");
      Bu_MeasStart->setText(text(textid::kTakeValue));
      break;
    default:
      break;
  }
  if (mode >= 0 && mode <= 3) {
    Pa_Stw->setVisible(mode != 2);
    Pa_Max->setVisible(mode != 1);
    Pa_Min->setVisible(mode != 1);
  }
  FRun->ApplySignFactor();
  switch (FConfig->RG_SaveData->ItemIndex()) {
    case 0:
      Ed_Filename->setText(text(textid::kNoRecordFile));
      break;
    case 1:
      Ed_Filename->setText("??????.xls");
      break;
    case 2:
      Ed_Filename->setText("??????.csv");
      break;
    default:
      break;
  }
}

// With "measure parts with this plan" ticked in the plan window the run is the plan's.
void TF_Main::Bu_MeasInitClick() {
  if (Running()) return;
  if (FPlanWindow->UsePlan()) return StartPlanRun();
  FRun->Initialise();
}

void TF_Main::Bu_MeasStartClick() {
  if (PlanRunning()) return FPlanSession->TakeValue();
  FRun->TakeValue();
}

void TF_Main::Bu_MeasStopClick() {
  if (PlanRunning()) return FPlanSession->Run().End();
  FRun->End();
}

// Shown modeless; the main window stays usable.
void TF_Main::Bu_ConfigClick() {
  if (FConfig == nullptr) return;
  FConfig->show();
  FConfig->raise();
  FConfig->activateWindow();
}

void TF_Main::Bu_PlanClick() {
  FPlanWindow->show();
  FPlanWindow->raise();
  FPlanWindow->activateWindow();
}

void TF_Main::Bu_AnalysisClick() {
  TF_Analysis& analysis = FAnalysis->Window();
  analysis.show();
  analysis.raise();
  analysis.activateWindow();
}

TF_Analysis& TF_Main::Analysis() const {
  return FAnalysis->Window();
}

void TF_Main::closeEvent(QCloseEvent* event) {
  bool close = false;
  ui::Guard([&] { close = FormClose(); });
  if (!close) {
    event->ignore();
    return;
  }
  if (FConfig != nullptr) FConfig->hide();
  FAnalysis->Window().hide();
  event->accept();
}

}  // namespace pzam
