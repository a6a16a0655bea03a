// What the measuring run needs from outside: the window that shows it, the operator's choices and
// the serial port. The main window implements all three; pzam-tool and the tests their own.
#pragma once

#include <cstdint>
#include <string>

#include "analysis/Capability.h"
#include "common/Clock.h"
#include "common/FormatSettings.h"

namespace pzam::measurement {

// The six display panels of the figure row.
enum class TPanel { Pa_Anz, Pa_Ist, Pa_Mwt, Pa_Stw, Pa_Max, Pa_Min };

// The controls whose enabled state the run switches.
enum class TControl { Bu_MeasInit, Bu_MeasStart, Bu_MeasStop, Ed_CharNum, Bu_Config };

class IRunView {
 public:
  virtual ~IRunView() = default;
  virtual void ShowPanel(TPanel panel, const std::string& text) = 0;
  virtual void ClearMemo() = 0;
  virtual void AddMemoLine(const std::string& line) = 0;
  // The record file name field Ed_Filename.
  virtual void ShowFilename(const std::string& text) = 0;
  virtual void EnableControl(TControl control, bool enabled) = 0;
  // Caption of the take-value button Bu_MeasStart.
  virtual void SetTakeValueCaption(const std::string& text) = 0;
};

// The operator's choices, read when they are needed (never copied by the run).
class IRunChoices {
 public:
  virtual ~IRunChoices() = default;
  // -1 none, 0 gauge sends, 1 gauge polled, 2 Sylvac, 3 Quorvant.
  virtual int OperatingMode() const = 0;
  // 0 no file, 1 Excel file, 2 text file.
  virtual int SaveMode() const = 0;
  // 0 Duplex, 1 Simplex.
  virtual int CableType() const = 0;
  virtual bool SignSwap() const = 0;
  // The text of Ed_CharNum.
  virtual std::string BatchNumber() const = 0;
  // The language text of an id in the current language, "0" when missing.
  virtual std::string LanguageText(int id) const = 0;
  virtual TDateTime Clock() const = 0;
  // One reading of the clock for a run's start, a value or the end; by default the local time
  // Clock() gives.
  virtual TClockReading ClockReading() const { return ClockAt(Clock()); }
  virtual TFormatSettings FormatSettings() const = 0;
  // The station's name in plant data.
  virtual std::string Station() const { return {}; }
  // The tolerance in force when a run starts.
  virtual analysis::TTolerance Tolerance() const { return {}; }
};

// What a serial binding hands the texts its port reads to: the run of one port (the run without a
// plan, or one port of a plan's run).
class IBoundRun {
 public:
  virtual ~IBoundRun() = default;
  // Changes at every start and end of a run; read on the port's event thread.
  virtual std::uint64_t Generation() const = 0;
  // A text read for the run that was current when it was read (window thread).
  virtual void Received(const std::string& bytes, std::uint64_t generation) = 0;
  virtual bool Running() const = 0;
  // Forgets an unfinished telegram whose line was lost.
  virtual void DropUnfinished() = 0;
};

// The serial port as the run uses it.
class IRunPort {
 public:
  virtual ~IRunPort() = default;
  // The port's name for messages ("COM3").
  virtual std::string Name() const = 0;
  // Opens the port; on failure returns false with the system's reason.
  virtual bool Open(std::string& reason) = 0;
  virtual void Close() = 0;
  // Sends a text; returns the count of bytes sent.
  virtual int WriteText(const std::string& text) = 0;
};

}  // namespace pzam::measurement
