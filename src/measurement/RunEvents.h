// What happens in a measuring run, told to whoever listens: the analysis window, the station's
// journal, the tools. Every fact comes from the run itself (never from a window's texts), and a
// value's time is read from the clock once, so every listener carries the same time.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/Capability.h"
#include "common/Clock.h"

namespace pzam::measurement {

// A characteristic of a plan as the run tells it: its name, limits and unit, and where it is
// measured.
struct TRunCharacteristic {
  std::string Name;
  analysis::TTolerance Tolerance;
  std::string Unit;
  int Decimals = 3;
  int Port = 0;  // COM number
  int Mode = 0;
};

struct TRunStarted {
  std::string RunId;  // UUID v7, made at Initialise
  std::string Station;
  std::string Batch;
  int Mode = 0;            // operating mode 0..3
  std::string ModeText;    // the mode as Ed_Modus names it
  std::string Port;        // "COM3"
  std::string RecordFile;  // empty in save mode 0
  analysis::TTolerance Tolerance;
  TClockReading Start;
  // A run of an inspection plan: the plan's name and part number (empty without a plan).
  std::string PlanName, PartNumber, PartName;
  // The plan's characteristics in plan order; empty without a plan.
  std::vector<TRunCharacteristic> Characteristics;
};

// Where an accepted value lies against the run's tolerance; None without a tolerance.
enum class TValueZone { None, Inside, Below, Above };

struct TValueAccepted {
  std::string RunId;
  int Number = 0;    // 1, 2, ... within the run
  double Value = 0;  // signed, as the statistics hold it
  std::string Text;  // the gauge's text of the value, as received
  TClockReading Time;
  std::string TimeText;  // the clock time of the memo line and the record row
  TValueZone Zone = TValueZone::None;
  // With a plan: the part (1, 2, ...) and its id, the characteristic (1, 2, ... in plan order)
  // and its name. Without one: characteristic 1 and no part.
  std::optional<int> Part;
  std::string PartId;
  int Characteristic = 1;
  std::string CharacteristicName;
};

// A value a plan's repeat took back: it stays on record, marked, and counts nowhere.
struct TValueDiscarded {
  std::string RunId;
  int Number = 0;
};

// A value the run did not take (not a number, a count that is not a whole number, the value limit).
struct TValueRefused {
  std::string RunId;
  std::string Text;
  std::string Reason;
};

// A value of a part as it went through its characteristic's processing.
struct TPartValue {
  int Number = 0;  // the value's number in the run, as ValueAccepted gave it
  double Value = 0;
  std::string Text;
  TClockReading Time;
  std::string TimeText;
};

// A part of a plan run is over and its values processed: complete and judged, or cut short by
// the run's end (Complete false, no judgement). Values: by characteristic in plan order, empty
// where none came; a value repeat took back is not among them.
struct TPartEnded {
  std::string RunId;
  int Part = 0;
  std::string PartId;
  std::vector<std::optional<TPartValue>> Values;
  bool Complete = false;
  bool Ok = false;
};

struct TRunEnded {
  std::string RunId;
  TClockReading End;
  int Count = 0;
};

class IRunEvents {
 public:
  virtual ~IRunEvents() = default;
  virtual void RunStarted(const TRunStarted& run) { (void)run; }
  virtual void ValueAccepted(const TValueAccepted& value) { (void)value; }
  virtual void ValueRefused(const TValueRefused& value) { (void)value; }
  virtual void ValueDiscarded(const TValueDiscarded& value) { (void)value; }
  virtual void PartEnded(const TPartEnded& part) { (void)part; }
  virtual void RunEnded(const TRunEnded& end) { (void)end; }
};

// The text of Ed_Modus for an operating mode: language texts for modes 0 and 1, fixed names for
// the others; empty for no mode.
std::string ModeText(int mode, int cable, bool signSwap, const std::string& modeZeroText,
                     const std::string& modeOneText);

}  // namespace pzam::measurement
