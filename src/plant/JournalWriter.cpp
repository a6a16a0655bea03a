#include "plant/JournalWriter.h"

#include "config/SettingsFile.h"
#include "plant/IsoTime.h"

namespace pzam::plant {

std::string ReadingText(const TClockReading& reading) {
  return IsoTimeText(reading.Instant, reading.OffsetMinutes);
}

TJournalWriter::TJournalWriter(std::string journalPath,
                               std::function<void(const std::string&)> report,
                               std::function<void()> written)
    : FPath(std::move(journalPath)), FReport(std::move(report)), FWrittenHook(std::move(written)) {}

void TJournalWriter::SetPath(const std::string& journalPath) {
  if (journalPath == FPath) return;
  FJournal.Close();
  FPath = journalPath;
}

void TJournalWriter::RunStarted(const measurement::TRunStarted& run) {
  FReported = false;
  FRunJournaled = false;
  std::string problem;
  if (!FJournal.IsOpen()) {
    // Beside the settings file, whose folder the first close creates: the first run may come
    // before it.
    if (!CreateSettingsFolder(FPath)) problem = "cannot create the folder of '" + FPath + "'";
    if (problem.empty()) problem = FJournal.Open(FPath, TJournalSync::Full);
  }
  if (problem.empty()) {
    TRunStart start;
    start.RunId = run.RunId;
    start.Station = run.Station;
    start.Batch = run.Batch;
    start.Mode = run.Mode;
    start.Port = run.Port;
    start.RecordFile = run.RecordFile;
    start.Nominal = run.Tolerance.Nominal;
    start.Lsl = run.Tolerance.Lower;
    start.Usl = run.Tolerance.Upper;
    start.Started = ReadingText(run.Start);
    if (!run.PlanName.empty()) start.PlanName = run.PlanName;
    if (!run.PartNumber.empty()) start.PartNumber = run.PartNumber;
    if (!run.PartName.empty()) start.PartName = run.PartName;
    for (const measurement::TRunCharacteristic& c : run.Characteristics)
      start.Characteristics.push_back({c.Name, c.Tolerance.Nominal, c.Tolerance.Lower,
                                       c.Tolerance.Upper, c.Unit, c.Decimals, c.Port, c.Mode});
    problem = FJournal.StartRun(start);
    FRunJournaled = problem.empty();
  }
  Written(problem);
}

void TJournalWriter::ValueAccepted(const measurement::TValueAccepted& value) {
  // Values of a run whose start is not in the journal cannot go there (a journal knows each
  // value's run); the failure was reported at the start.
  if (!FRunJournaled) return;
  TValueRecord v;
  v.RunId = value.RunId;
  v.Seq = value.Number;
  v.Value = value.Value;
  v.Text = value.Text;
  v.Time = ReadingText(value.Time);
  switch (value.Zone) {
    case measurement::TValueZone::Inside:
      v.Tolerance = TToleranceZone::In;
      break;
    case measurement::TValueZone::Below:
      v.Tolerance = TToleranceZone::Below;
      break;
    case measurement::TValueZone::Above:
      v.Tolerance = TToleranceZone::Above;
      break;
    case measurement::TValueZone::None:
      v.Tolerance = TToleranceZone::None;
      break;
  }
  if (value.Part) v.Part = *value.Part;
  if (!value.PartId.empty()) v.PartId = value.PartId;
  v.Characteristic = value.Characteristic;
  if (!value.CharacteristicName.empty()) v.CharacteristicName = value.CharacteristicName;
  Written(FJournal.AddValue(v));
}

void TJournalWriter::ValueDiscarded(const measurement::TValueDiscarded& value) {
  if (!FRunJournaled) return;
  Written(FJournal.DiscardValue(value.RunId, value.Number));
}

void TJournalWriter::RunEnded(const measurement::TRunEnded& end) {
  if (!FRunJournaled) return;
  Written(FJournal.EndRun({end.RunId, ReadingText(end.End), end.Count}));
  FRunJournaled = false;
}

void TJournalWriter::Written(const std::string& problem) {
  if (problem.empty()) {
    FReported = false;
    if (FWrittenHook) FWrittenHook();
    return;
  }
  if (FReported) return;
  FReported = true;
  if (FReport) FReport("Station journal not written: " + problem);
}

}  // namespace pzam::plant
