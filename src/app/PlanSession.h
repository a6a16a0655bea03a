// The main window's run of an inspection plan: one Serial component, run port and binding for
// each port the plan names, with that characteristic's line parameters; the plan run; the plan
// window following the current part. Private to the main window's sources.
#pragma once

#include <memory>
#include <vector>

#include "app/Main.h"
#include "measurement/RunEvents.h"
#include "measurement/RunSerial.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "plan/PlanRun.h"

namespace pzam {

class TF_Main::TPlanSession : private measurement::IRunEvents {
 public:
  TPlanSession(TF_Main& main, const plan::TPlan& plan);
  ~TPlanSession() override;

  plan::TPlanRun& Run() { return *FRun; }
  // The operator's part id, repeat and Sylvac request (the plan window's and Bu_MeasStart).
  void SetPartId(const std::string& id);
  void Repeat();
  void TakeValue();

 private:
  void RunStarted(const measurement::TRunStarted& run) override;
  void ValueAccepted(const measurement::TValueAccepted& value) override;
  void ValueDiscarded(const measurement::TValueDiscarded& value) override;
  void PartEnded(const measurement::TPartEnded& part) override;
  void RunEnded(const measurement::TRunEnded& end) override;
  void ShowPart();

  class TIdKeys;
  TF_Main& F;
  std::vector<std::unique_ptr<measurement::TRunSerial>> FSerials;
  std::vector<std::unique_ptr<measurement::TSerialRunPort>> FPorts;
  std::unique_ptr<plan::TPlanRun> FRun;
  std::unique_ptr<TIdKeys> FIdKeys;  // while the run's parts take ids
  // After the run: destroyed first, so no handler reaches the run any more.
  std::vector<std::unique_ptr<measurement::TSerialRunBinding>> FBindings;
};

}  // namespace pzam
