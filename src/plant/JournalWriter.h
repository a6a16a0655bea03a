// The station journal's writer: it listens to the measuring run and commits the run's start, each
// accepted value and the end to the journal, each before the run takes its next value, then wakes
// whoever publishes the journal. A journal that cannot be written is reported once per run (and
// again once it has recovered and failed anew); the run goes on with its record file.
#pragma once

#include <functional>
#include <string>

#include "measurement/RunEvents.h"
#include "plant/Journal.h"

namespace pzam::plant {

class TJournalWriter : public measurement::IRunEvents {
 public:
  // `report` takes one line for the operator; `written` is called after every committed write.
  TJournalWriter(std::string journalPath, std::function<void(const std::string&)> report,
                 std::function<void()> written = {});

  // Another journal from the next run on (the settings changed).
  void SetPath(const std::string& journalPath);
  const std::string& Path() const { return FPath; }

  void RunStarted(const measurement::TRunStarted& run) override;
  void ValueAccepted(const measurement::TValueAccepted& value) override;
  void ValueDiscarded(const measurement::TValueDiscarded& value) override;
  void RunEnded(const measurement::TRunEnded& end) override;

 private:
  void Written(const std::string& problem);

  std::string FPath;
  std::function<void(const std::string&)> FReport;
  std::function<void()> FWrittenHook;
  TJournal FJournal;
  bool FRunJournaled = false;  // this run's start is in the journal
  bool FReported = false;      // this run's failure is reported
};

// The ISO 8601 text of a clock reading, with milliseconds and its UTC offset.
std::string ReadingText(const TClockReading& reading);

}  // namespace pzam::plant
