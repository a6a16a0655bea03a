// The measuring run of an inspection plan: every port the plan names open at once, each decoding
// by its own operating mode; the router puts each value into its part and characteristic; each
// characteristic keeps its own statistics and record file (the layout of the run without a plan).
// A value goes to the listeners (the journal first) the moment the router takes it; a part's
// values go through the value processing (statistics, panels, record rows) when the part is over.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "measurement/MeasurementRun.h"
#include "plan/PartRouter.h"

namespace pzam::plan {

class TPlanRun : private IPartEvents {
 public:
  // `ports`: the run's port for each COM number the plan names; they must outlive the run.
  TPlanRun(TPlan plan, measurement::IRunView& view, const measurement::IRunChoices& choices,
           std::map<int, measurement::IRunPort*> ports, measurement::TRunOptions options = {});
  ~TPlanRun() override;

  void AddListener(measurement::IRunEvents& listener) { FListeners.push_back(&listener); }

  // Opens every port, creates one record file per characteristic (save modes 1 and 2) and the
  // trace file. Throws ERunError (a port that does not open, with its name and reason) or the
  // file's error; in every failure the ports are closed again and the run stays idle.
  void Initialise();
  // Closes the ports; a part with values is processed and said to be incomplete; values the
  // router still held are said in the message list; the record files are closed.
  void End();
  bool Running() const { return FRunning; }

  // The side of port `com` that its serial binding hands the texts to.
  measurement::IBoundRun& Port(int com);
  // The current part's id; false when it waits for none.
  bool SetPartId(const std::string& id);
  // Takes the current part's last value back; false when it has none.
  bool Repeat();
  // The Sylvac request for characteristic n (1, 2, ...): "PRI\r" with a duplex cable, the port
  // closed and opened again with a simplex one. False for a characteristic not in mode 2.
  bool TakeValue(int characteristic);

  const TPlan& Plan() const { return FPlan; }
  const TPartRouter& Router() const { return *FRouter; }
  const measurement::TRunStatistics& Statistics(int characteristic) const;
  const std::string& RunId() const { return FRunId; }

 private:
  class TPortSide;
  struct TCharacteristicState;

  std::string Text(int id) const { return FChoices.LanguageText(id); }
  void Decoded(TPortSide& side, const std::string& valueText);
  void Process(int characteristic, const TGaugeValue& value);
  void Refused(const std::string& text, const std::string& reason);
  void ValueTaken(const TRoutedValue& value) override;
  void ValueDiscarded(const TRoutedValue& value) override;
  void PartEnded(const TPartResult& part) override;
  void CloseAll();

  TPlan FPlan;
  measurement::IRunView& FView;
  const measurement::IRunChoices& FChoices;
  measurement::TRunOptions FOptions;
  std::vector<std::unique_ptr<TPortSide>> FSides;
  std::vector<std::unique_ptr<TCharacteristicState>> FCharacteristics;
  std::unique_ptr<TPartRouter> FRouter;
  std::vector<measurement::IRunEvents*> FListeners;
  bool FRunning = false;
  std::atomic<std::uint64_t> FGeneration{0};
  int FSaveMode = measurement::kSaveNone;
  std::string FRunId;
  int FSeq = 0;                 // values taken in this run
  std::map<int, int> FPartSeq;  // characteristic -> number of its value in the current part
};

// The record file of characteristic n (1, 2, ...): "<date>_<time>_<batch>_<n>" and the extension.
std::string CharacteristicFileName(const TDateTime& t, const std::string& batch, int saveMode,
                                   int n);

}  // namespace pzam::plan
