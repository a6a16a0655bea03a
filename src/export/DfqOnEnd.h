// [Export] Dfq=1: the run's transfer file, written at its end beside where the run was started.
// It listens to the run, keeps what the file needs and writes "<record file name>.dfq" (the name
// a record file would have had when none is written) when the run ends.
#pragma once

#include <functional>
#include <map>
#include <string>

#include "export/Dfq.h"
#include "measurement/RunEvents.h"

namespace pzam::dfq {

class TDfqOnEnd : public measurement::IRunEvents {
 public:
  // `report` takes one line for the operator (a failed write, a cut text); `directory` empty: the
  // current directory.
  explicit TDfqOnEnd(std::function<void(const std::string&)> report, std::string directory = {});

  // Off (as made, until the settings are read): nothing is kept or written from the next run on.
  void SetEnabled(bool on) { FEnabled = on; }
  bool Enabled() const { return FEnabled; }
  // The path of the last file written, empty when none.
  const std::string& LastPath() const { return FLastPath; }

  void RunStarted(const measurement::TRunStarted& run) override;
  void ValueAccepted(const measurement::TValueAccepted& value) override;
  void ValueDiscarded(const measurement::TValueDiscarded& value) override;
  void RunEnded(const measurement::TRunEnded& end) override;

 private:
  std::function<void(const std::string&)> FReport;
  std::string FDirectory;
  bool FEnabled = false;
  bool FActive = false;  // a run is being kept
  measurement::TRunStarted FStart;
  std::map<int, measurement::TValueAccepted> FValues;  // by number, discarded ones removed
  std::string FLastPath;
};

}  // namespace pzam::dfq
