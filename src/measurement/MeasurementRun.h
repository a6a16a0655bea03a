// The measuring run without windows: Initialise, take value, End, and the decoding, processing
// and recording of every text the port reads. It runs on the window thread; the port's event
// thread hands its texts over tagged with Generation(), and texts of another run are ignored.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/Errors.h"
#include "measurement/PortDecoder.h"
#include "measurement/RecordFile.h"
#include "measurement/RunEvents.h"
#include "measurement/RunInterfaces.h"
#include "measurement/SharedTexts.h"
#include "measurement/Statistics.h"
#include "measurement/Telegram.h"

namespace pzam::measurement {

// A run that cannot start: no operating mode, or the port cannot be opened. The text is the
// language text 9007 or 9004 (with the port name and the reason).
class ERunError : public Exception {
 public:
  using Exception::Exception;
};

struct TRunOptions {
  // Folder of the record and trace files; empty: the current directory.
  std::string Directory;
  // The plain waits of take value (Simplex) and End; sleeps by default.
  std::function<void(std::chrono::milliseconds)> Wait;
};

class TMeasurementRun : public IBoundRun {
 public:
  TMeasurementRun(IRunView& view, const IRunChoices& choices, IRunPort& port,
                  TRunOptions options = {});

  // Tells `listener` every run's start, its values and its end, in the order they happen; after
  // the listeners added before it. It must outlive the run.
  void AddListener(IRunEvents& listener) { FListeners.push_back(&listener); }

  // The sign factor as the operating mode sets it: -1.0 in mode 3 with sign swap, +1.0 in the
  // other modes; unchanged when no mode is selected. Called whenever the operating mode is applied.
  void ApplySignFactor();

  // Idle to running: resets figures, memo and statistics, names and creates the record file,
  // opens the port, recreates the trace file. Throws ERunError (no operating mode, port not
  // opened) or the file's error; in every failure the run stays idle and the port closed.
  void Initialise();
  // Operating mode 2 only: sends "PRI\r" (Duplex) or closes and reopens the port (Simplex).
  void TakeValue();
  // Running to idle: closes the port, adds text 9002, waits 100 ms, closes the record file.
  void End();

  // A text the port read, for the run that was current when it was read. Every complete
  // telegram in it is decoded and processed in order; an unfinished tail waits for the next read.
  // Errors of a single value become memo lines; nothing is thrown.
  void Received(const std::string& bytes, std::uint64_t generation) override;
  void Received(const std::string& bytes) { Received(bytes, Generation()); }
  // Forgets a telegram that began but never ended because its line was lost (port removed), so
  // that it does not spoil the first telegram after the port is back.
  void DropUnfinished() override { FDecoder.DropUnfinished(); }

  bool Running() const override { return FRunning; }
  // Changes at every Initialise and End; may be read from any thread.
  std::uint64_t Generation() const override { return FGeneration.load(); }
  const TRunStatistics& Statistics() const { return FStats; }
  const TSharedTexts& Texts() const { return FDecoder.Texts(); }
  int TelegramCounter() const { return FDecoder.Counter(); }
  // The id of the current or the last run; empty before the first.
  const std::string& RunId() const { return FRunId; }

 private:
  std::string Text(int id) const { return FChoices.LanguageText(id); }
  void SetRunButtons(int mode);
  void BackToIdle();
  void OpenFiles();
  void ProcessAndRecord(TSharedTexts& texts);
  void Refused(const std::string& text, const std::string& reason);
  TValueZone ZoneOf(double value) const;

  IRunView& FView;
  const IRunChoices& FChoices;
  IRunPort& FPort;
  TRunOptions FOptions;

  bool FRunning = false;
  std::atomic<std::uint64_t> FGeneration{0};
  int FMode = -1;
  int FSaveMode = kSaveNone;
  TRunStatistics FStats;
  TPortDecoder FDecoder;
  std::unique_ptr<IRecordFile> FRecord;
  std::vector<IRunEvents*> FListeners;
  std::string FRunId;
  analysis::TTolerance FTolerance;  // in force since Initialise
};

// Puts `args` in place of the "%s" marks of a language text, in order; arguments without a
// mark are appended after ": " (after a blank when the text ends in ":"), so a missing text "0"
// still carries the reason.
std::string FormatText(const std::string& text, std::initializer_list<std::string> args);
std::string FormatText(const std::string& text, const std::vector<std::string>& args);

}  // namespace pzam::measurement
