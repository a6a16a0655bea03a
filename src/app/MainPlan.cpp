// The main window measuring parts by an inspection plan: Initialise builds the plan's ports and
// run, the buttons and the plan window drive it, and the journal, the analysis window and the
// plan window hear each value.
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/MainAdapters.h"
#include "app/PlanSession.h"
#include "config/TextIds.h"
#include "export/DfqOnEnd.h"
#include "measurement/MeasurementRun.h"
#include "plan/ui/PlanTexts.h"
#include "plan/ui/PlanWindow.h"
#include "serial/LineParameters.h"
#include "ui/MessageBoxes.h"
#include "ui/QtDispatcher.h"

namespace pzam {

using namespace measurement;

// While a part waits for its id, the keys that reach the main window (a scanner's text and its
// Enter) go on to the plan window's id field, which takes the focus: the id reaches the part
// wherever in the main window the operator clicked last. Keys with Ctrl, Alt or Meta, keys
// without text, and Space on a button keep their usual meaning.
class TF_Main::TPlanSession::TIdKeys : public QObject {
 public:
  TIdKeys(TF_Main& main, TF_Plan& plan, std::function<bool()> waits)
      : FMain(main), FPlan(plan), FWaits(std::move(waits)) {
    QApplication::instance()->installEventFilter(this);
  }
  ~TIdKeys() override { QApplication::instance()->removeEventFilter(this); }

  bool eventFilter(QObject* target, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* widget = qobject_cast<QWidget*>(target);
    if (widget == nullptr || widget->window() != &FMain || !FWaits()) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    if (!enter && key->text().isEmpty()) return false;
    if (key->key() == Qt::Key_Space && qobject_cast<const QAbstractButton*>(widget)) return false;
    FPlan.activateWindow();
    FPlan.Ed_PartId->setFocus();
    QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   static_cast<ushort>(key->count()));
    QApplication::sendEvent(FPlan.Ed_PartId, &copy);
    return true;
  }

 private:
  TF_Main& FMain;
  TF_Plan& FPlan;
  std::function<bool()> FWaits;
};

TF_Main::TPlanSession::TPlanSession(TF_Main& main, const plan::TPlan& plan) : F(main) {
  serial::TSerialSettings line;
  F.FSerial1->GetSettings(line);
  std::map<int, IRunPort*> byNumber;
  for (int com : plan::PlanPorts(plan)) {
    const auto& c = *std::find_if(plan.Characteristics.begin(), plan.Characteristics.end(),
                                  [com](const plan::TCharacteristic& x) { return x.Port == com; });
    auto serial = std::make_unique<TRunSerial>(*F.FComm, *F.FManager, F.FDispatcher.get());
    // Serial1's component properties and line settings, then the characteristic's parameters.
    serial->SetThreadPriority(serial::TThreadPriority::tpNormal);
    serial->SetSettings(line);
    serial->SetEventChar(23);
    serial->SetSyncEventHandling(false);
    serial->SetEnableEvents(true);
    serial->SetSyncWait(true);
    serial::ApplyLineParameters(*serial, c.Mode, c.Cable);
    // Unchecked: a port the manager does not list fails at Initialise with the system's reason.
    serial->SetCOMPortUnchecked(com);
    FPorts.push_back(std::make_unique<TSerialRunPort>(*serial));
    byNumber[com] = FPorts.back().get();
    FSerials.push_back(std::move(serial));
  }
  TRunOptions options;
  options.Directory = F.FRunDirectory;
  options.Wait = F.FWait;
  FRun = std::make_unique<plan::TPlanRun>(plan, *F.FRunView, *F.FRunChoices, byNumber, options);
  // The journal first, as in the run without a plan.
  FRun->AddListener(F.FPlant->Journal());
  FRun->AddListener(*F.FAnalysis);
  FRun->AddListener(*F.FDfq);
  FRun->AddListener(*this);
  for (auto& serial : FSerials)
    FBindings.push_back(std::make_unique<TSerialRunBinding>(
        *serial, FRun->Port(serial->COMPort()), *F.FRunView, *F.FRunChoices, *F.FDispatcher,
        [](const std::function<void()>& work) { ui::Guard(work); }));
}

TF_Main::TPlanSession::~TPlanSession() {
  FIdKeys.reset();
  FBindings.clear();
}

void TF_Main::TPlanSession::SetPartId(const std::string& id) {
  if (!FRun->SetPartId(id)) return;
  ShowPart();
}

void TF_Main::TPlanSession::Repeat() {
  if (FRun->Repeat()) ShowPart();
}

// The Sylvac request of the characteristic that waits next, or of the first Sylvac one still open.
void TF_Main::TPlanSession::TakeValue() {
  const plan::TPlan& plan = FRun->Plan();
  const auto& values = FRun->Router().Values();
  std::optional<int> take;
  for (std::size_t i = 0; i < plan.Characteristics.size() && !take; ++i)
    if (plan.Characteristics[i].Mode == 2 && (i >= values.size() || !values[i]))
      take = static_cast<int>(i);
  if (const auto next = FRun->Router().NextCharacteristic();
      next && plan.Characteristics[static_cast<std::size_t>(*next)].Mode == 2)
    take = *next;
  if (take) FRun->TakeValue(*take + 1);
}

void TF_Main::TPlanSession::ShowPart() {
  F.FPlanWindow->ShowPart(FRun->Router());
  // A part that waits for its id takes the scanner's keys: from the main window, the operator's
  // place during the run, the plan window becomes the active one with the focus in its id field.
  // Any other window, of this program or another, keeps its keys.
  if (FRun->Router().WaitsForId() && QApplication::activeWindow() == &F)
    F.FPlanWindow->activateWindow();
}

void TF_Main::TPlanSession::RunStarted(const TRunStarted& run) {
  (void)run;
  // The operator works part by part in the plan window: it comes up with the run.
  F.FPlanWindow->StartRun(FRun->Plan());
  F.FPlanWindow->show();
  F.FPlanWindow->raise();
  if (FRun->Plan().PartIds)
    FIdKeys = std::make_unique<TIdKeys>(
        F, *F.FPlanWindow, [this] { return FRun->Running() && FRun->Router().WaitsForId(); });
  std::string ports;
  for (const auto& port : FPorts) ports += (ports.empty() ? "" : " ") + port->Name();
  F.Ed_ComNum->setText(QString::fromStdString(ports));
  F.Ed_Modus->setText(QString::fromStdString(FRun->Plan().Name));
  // Take value asks the Sylvac gauge of the characteristic that waits (see TakeValue).
  F.Bu_MeasStart->setText(QString::fromStdString(F.LanguageText(textid::kTakeValue)));
  ShowPart();
}

void TF_Main::TPlanSession::ValueAccepted(const TValueAccepted& value) {
  (void)value;
  ShowPart();
}

void TF_Main::TPlanSession::ValueDiscarded(const TValueDiscarded& value) {
  (void)value;
  ShowPart();
}

// The router starts the next part once its listeners have heard of this one: the window shows
// it from the next turn of the event loop.
void TF_Main::TPlanSession::PartEnded(const TPartEnded& part) {
  F.FPlanWindow->ShowPartEnded(part.Part, part.PartId, part.Complete, part.Ok);
  QTimer::singleShot(0, F.FPlanWindow, [main = &F] {
    if (main->FPlanSession) main->FPlanSession->ShowPart();
  });
}

void TF_Main::TPlanSession::RunEnded(const TRunEnded& end) {
  (void)end;
  FIdKeys.reset();
  F.FPlanWindow->EndRun();
  F.ShowComPort();
  F.ApplyOperatingMode();
}

// A plan in use is checked before anything opens: the run stays idle with the reason.
void TF_Main::StartPlanRun() {
  plan::TPlan plan;
  std::string error;
  if (!FPlanWindow->PlanToMeasure(plan, error))
    throw ERunError(LanguageText(textid::kPlanNotUsable) + " " + error);
  FPlanSession.reset();
  FPlanSession = std::make_unique<TPlanSession>(*this, plan);
  FPlanSession->Run().Initialise();
}

bool TF_Main::PlanRunning() const {
  return FPlanSession && FPlanSession->Run().Running();
}

void TF_Main::ConnectPlanWindow() {
  FPlanWindow->OnPartId = [this](const std::string& id) {
    ui::Guard([&] {
      if (PlanRunning()) FPlanSession->SetPartId(id);
    });
  };
  FPlanWindow->OnRepeat = [this] {
    ui::Guard([&] {
      if (PlanRunning()) FPlanSession->Repeat();
    });
  };
  FPlanWindow->OnTake = [this] {
    ui::Guard([&] {
      if (PlanRunning()) FPlanSession->TakeValue();
    });
  };
}

}  // namespace pzam
