#include "measurement/MeasurementRun.h"

#include <thread>

#include "common/RunId.h"
#include "config/TextIds.h"
#include "measurement/TraceFile.h"
#include "measurement/ValueProcessing.h"

namespace pzam::measurement {

using namespace std::chrono_literals;

namespace {
// The caption of Bu_MeasStart in operating mode 1 (a fixed text, not a language text).
constexpr const char* kTakeValueModeOne = "Messung starten";
}  // namespace

std::string FormatText(const std::string& text, std::initializer_list<std::string> args) {
  return FormatText(text, std::vector<std::string>(args));
}

std::string FormatText(const std::string& text, const std::vector<std::string>& args) {
  std::string out;
  auto arg = args.begin();
  std::size_t from = 0;
  for (std::size_t at; arg != args.end() && (at = text.find("%s", from)) != std::string::npos;
       ++arg) {
    out += text.substr(from, at - from) + *arg;
    from = at + 2;
  }
  out += text.substr(from);
  for (; arg != args.end(); ++arg) {
    out += (!out.empty() && out.back() == ':') ? " " : ": ";
    out += *arg;
  }
  return out;
}

std::string ModeText(int mode, int cable, bool signSwap, const std::string& modeZeroText,
                     const std::string& modeOneText) {
  switch (mode) {
    case 0:
      return modeZeroText;
    case 1:
      return modeOneText;
    case 2:
      return cable == 0 ? "Sylvac duplex" : cable == 1 ? "Sylvac simplex" : "";
    case 3:
      return signSwap ? "Quorvant --> x (-1)" : "Quorvant --> x (+1)";
    default:
      return "";
  }
}

TMeasurementRun::TMeasurementRun(IRunView& view, const IRunChoices& choices, IRunPort& port,
                                 TRunOptions options)
    : FView(view),
      FChoices(choices),
      FPort(port),
      FOptions(std::move(options)),
      FDecoder(view, port, FOptions.Directory) {
  if (!FOptions.Wait)
    FOptions.Wait = [](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); };
}

void TMeasurementRun::ApplySignFactor() {
  const int mode = FChoices.OperatingMode();
  if (mode == 3) {
    FStats.SetSignFactor(FChoices.SignSwap() ? -1.0 : 1.0);
  } else if (mode >= 0 && mode <= 2) {
    FStats.SetSignFactor(1.0);
  }
}

void TMeasurementRun::Initialise() {
  if (FRunning) return;
  const int mode = FChoices.OperatingMode();
  if (mode < 0 || mode > 3) throw ERunError(Text(textid::kNoOperatingMode));
  ++FGeneration;  // texts read from here on belong to this run
  FView.EnableControl(TControl::Ed_CharNum, false);
  FView.EnableControl(TControl::Bu_Config, false);
  FView.ShowPanel(TPanel::Pa_Anz, "000");
  for (TPanel p : {TPanel::Pa_Ist, TPanel::Pa_Mwt, TPanel::Pa_Stw, TPanel::Pa_Max, TPanel::Pa_Min})
    FView.ShowPanel(p, "0,000");
  FView.ClearMemo();
  FStats.Reset();
  FSaveMode = FChoices.SaveMode();
  // One clock reading names the record file and starts the run for every listener.
  const TClockReading start = FChoices.ClockReading();
  std::string fileName;
  if (FSaveMode == kSaveExcel || FSaveMode == kSaveText) {
    fileName = RecordFileName(start.Local, FChoices.BatchNumber(), FSaveMode);
    FView.ShowFilename(fileName);
  }
  FMode = mode;
  SetRunButtons(mode);
  DropUnfinished();
  std::string reason;
  if (!FPort.Open(reason)) {
    BackToIdle();
    throw ERunError(FormatText(Text(textid::kPortOpenFailed), {FPort.Name(), reason}));
  }
  try {
    if (!fileName.empty()) {
      TRecordRow headers;
      for (int i = 0; i < 8; ++i) headers[i] = Text(textid::kHeader0 + i);
      FRecord = CreateRecordFile(FSaveMode, FOptions.Directory, fileName, headers);
    }
    CreateTraceFile(FOptions.Directory);
  } catch (...) {
    if (FRecord) FRecord->Close();
    FRecord.reset();
    FPort.Close();
    BackToIdle();
    throw;
  }
  FRunning = true;
  FRunId = NewRunId(start.Instant);
  FTolerance = FChoices.Tolerance();
  TRunStarted run;
  run.RunId = FRunId;
  run.Station = FChoices.Station();
  run.Batch = FChoices.BatchNumber();
  run.Mode = mode;
  run.ModeText = ModeText(mode, FChoices.CableType(), FChoices.SignSwap(), Text(textid::kModeItem0),
                          Text(textid::kModeItem0 + 1));
  run.Port = FPort.Name();
  run.RecordFile = fileName;
  run.Tolerance = FTolerance;
  run.Start = start;
  for (IRunEvents* l : FListeners) l->RunStarted(run);
}

void TMeasurementRun::SetRunButtons(int mode) {
  FView.EnableControl(TControl::Bu_MeasInit, false);
  FView.EnableControl(TControl::Bu_MeasStart, mode == 1 || mode == 2);
  FView.EnableControl(TControl::Bu_MeasStop, true);
  if (mode == 0) return;
  FDecoder.ResetCounter();
  FView.SetTakeValueCaption(mode == 1 ? kTakeValueModeOne : Text(textid::kTakeValue));
}

void TMeasurementRun::BackToIdle() {
  FRunning = false;
  ++FGeneration;
  FView.EnableControl(TControl::Bu_MeasInit, true);
  FView.EnableControl(TControl::Bu_MeasStart, false);
  FView.EnableControl(TControl::Bu_MeasStop, false);
  FView.EnableControl(TControl::Ed_CharNum, true);
  FView.EnableControl(TControl::Bu_Config, true);
}

void TMeasurementRun::TakeValue() {
  if (!FRunning || FMode != 2) return;
  FView.EnableControl(TControl::Bu_MeasStart, false);
  const int cable = FChoices.CableType();
  if (cable == 0) {
    FPort.WriteText("PRI\r");
  } else if (cable == 1) {
    FPort.Close();
    FOptions.Wait(300ms);
    std::string reason;
    if (!FPort.Open(reason))
      FView.AddMemoLine(FormatText(Text(textid::kPortOpenFailed), {FPort.Name(), reason}));
    FOptions.Wait(200ms);
  }
  FView.EnableControl(TControl::Bu_MeasStart, true);
}

void TMeasurementRun::End() {
  if (!FRunning) return;
  FPort.Close();
  FRunning = false;
  ++FGeneration;  // nothing read before this point is processed any more
  FView.AddMemoLine(Text(textid::kRunEnded));
  FView.EnableControl(TControl::Ed_CharNum, true);
  FView.EnableControl(TControl::Bu_Config, true);
  FOptions.Wait(100ms);
  if (FRecord) FRecord->Close();
  FRecord.reset();
  const TRunEnded ended{FRunId, FChoices.ClockReading(), FStats.Count()};
  for (IRunEvents* l : FListeners) l->RunEnded(ended);
  FView.EnableControl(TControl::Bu_MeasInit, true);
  FView.EnableControl(TControl::Bu_MeasStart, false);
  FView.EnableControl(TControl::Bu_MeasStop, false);
}

void TMeasurementRun::Received(const std::string& bytes, std::uint64_t generation) {
  if (!FRunning || generation != FGeneration.load()) return;
  FDecoder.Feed(FMode, bytes, [this](TSharedTexts& texts) { ProcessAndRecord(texts); });
}

void TMeasurementRun::ProcessAndRecord(TSharedTexts& texts) {
  const std::string gaugeText = texts.Value;
  if (FStats.Full()) {
    FView.AddMemoLine(Text(textid::kValueLimit));
    Refused(gaugeText, Text(textid::kValueLimit));
    return;
  }
  const TFormatSettings fs = FChoices.FormatSettings();
  // One clock reading for the value line, its row and every listener.
  const TClockReading clock = FChoices.ClockReading();
  try {
    if (ProcessValue(texts, FStats, fs.DecimalSeparator, FView) != TValueOutcome::Accepted) {
      Refused(gaugeText, "not a number");
      return;
    }
  } catch (const Exception& e) {
    FView.AddMemoLine(e.what());
    Refused(gaugeText, e.what());
    return;
  }
  const std::string time = TimeToText(clock.Local, fs);
  FView.AddMemoLine(ValueLine(FChoices.BatchNumber(), time, texts));
  if (FRecord) {
    const TRecordRow row{
        FChoices.BatchNumber(), time,          texts.Count,  texts.Value, texts.Mean,
        texts.Deviation,        texts.Maximum, texts.Minimum};
    try {
      FRecord->WriteRow(row);
    } catch (const Exception& e) {
      FView.AddMemoLine(FormatText(Text(textid::kRowWriteFailed), {e.what()}));
    }
  }
  TValueAccepted value;
  value.RunId = FRunId;
  value.Number = FStats.Count();
  value.Value = FStats.Value(FStats.Count());
  value.Text = gaugeText;
  value.Time = clock;
  value.TimeText = time;
  value.Zone = ZoneOf(value.Value);
  for (IRunEvents* l : FListeners) l->ValueAccepted(value);
}

void TMeasurementRun::Refused(const std::string& text, const std::string& reason) {
  const TValueRefused refused{FRunId, text, reason};
  for (IRunEvents* l : FListeners) l->ValueRefused(refused);
}

TValueZone TMeasurementRun::ZoneOf(double value) const {
  if (!FTolerance.Any()) return TValueZone::None;
  switch (analysis::Judge(value, FTolerance)) {
    case analysis::TZone::Below:
      return TValueZone::Below;
    case analysis::TZone::Above:
      return TValueZone::Above;
    default:
      return TValueZone::Inside;
  }
}

}  // namespace pzam::measurement
