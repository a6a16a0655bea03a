#include "plan/PlanRun.h"

#include <thread>

#include "common/RunId.h"
#include "config/TextIds.h"
#include "measurement/NumberText.h"
#include "measurement/PortDecoder.h"
#include "measurement/TraceFile.h"
#include "measurement/ValueProcessing.h"

namespace pzam::plan {

using namespace measurement;
using namespace std::chrono_literals;

// One port of the run: its decoding by the operating mode of the characteristics it serves.
class TPlanRun::TPortSide : public IBoundRun {
 public:
  TPortSide(TPlanRun& run, int com, const TCharacteristic& c, IRunPort& port)
      : Run(run),
        Com(com),
        Mode(c.Mode),
        Cable(c.Cable),
        SignSwap(c.SignSwap),
        Port(port),
        Decoder(run.FView, port, run.FOptions.Directory) {}

  std::uint64_t Generation() const override { return Run.FGeneration.load(); }
  bool Running() const override { return Run.FRunning; }
  void DropUnfinished() override { Decoder.DropUnfinished(); }
  void Received(const std::string& bytes, std::uint64_t generation) override {
    if (!Run.FRunning || generation != Run.FGeneration.load()) return;
    Decoder.Feed(Mode, bytes, [this](TSharedTexts& texts) { Run.Decoded(*this, texts.Value); });
  }

  TPlanRun& Run;
  const int Com, Mode, Cable;
  const bool SignSwap;
  IRunPort& Port;
  TPortDecoder Decoder;
};

struct TPlanRun::TCharacteristicState {
  TRunStatistics Stats;
  TSharedTexts Texts;
  std::unique_ptr<IRecordFile> Record;
};

std::string CharacteristicFileName(const TDateTime& t, const std::string& batch, int saveMode,
                                   int n) {
  std::string name = RecordFileName(t, batch, saveMode);
  const std::size_t dot = name.rfind('.');
  return name.insert(dot == std::string::npos ? name.size() : dot, "_" + std::to_string(n));
}

TPlanRun::TPlanRun(TPlan plan, IRunView& view, const IRunChoices& choices,
                   std::map<int, IRunPort*> ports, TRunOptions options)
    : FPlan(std::move(plan)), FView(view), FChoices(choices), FOptions(std::move(options)) {
  if (!FOptions.Wait)
    FOptions.Wait = [](std::chrono::milliseconds ms) { std::this_thread::sleep_for(ms); };
  for (int com : PlanPorts(FPlan)) {
    const auto it = std::find_if(FPlan.Characteristics.begin(), FPlan.Characteristics.end(),
                                 [com](const TCharacteristic& c) { return c.Port == com; });
    FSides.push_back(std::make_unique<TPortSide>(*this, com, *it, *ports.at(com)));
  }
  for (std::size_t i = 0; i < FPlan.Characteristics.size(); ++i)
    FCharacteristics.push_back(std::make_unique<TCharacteristicState>());
}

TPlanRun::~TPlanRun() = default;

IBoundRun& TPlanRun::Port(int com) {
  for (auto& side : FSides)
    if (side->Com == com) return *side;
  throw std::out_of_range("COM" + std::to_string(com) + " is not a port of the plan");
}

const TRunStatistics& TPlanRun::Statistics(int characteristic) const {
  return FCharacteristics.at(characteristic)->Stats;
}

void TPlanRun::Initialise() {
  if (FRunning) return;
  ++FGeneration;
  FView.ShowPanel(TPanel::Pa_Anz, "000");
  for (TPanel p : {TPanel::Pa_Ist, TPanel::Pa_Mwt, TPanel::Pa_Stw, TPanel::Pa_Max, TPanel::Pa_Min})
    FView.ShowPanel(p, "0,000");
  FView.ClearMemo();
  FSaveMode = FChoices.SaveMode();
  const TClockReading start = FChoices.ClockReading();
  for (std::size_t i = 0; i < FCharacteristics.size(); ++i) {
    TCharacteristicState& c = *FCharacteristics[i];
    const TCharacteristic& p = FPlan.Characteristics[i];
    c.Stats.Reset();
    c.Stats.SetSignFactor(p.Mode == 3 && p.SignSwap ? -1.0 : 1.0);
    c.Texts = {};
  }
  for (auto& side : FSides) {
    side->DropUnfinished();
    side->Decoder.ResetCounter();
    std::string reason;
    if (!side->Port.Open(reason)) {
      const std::string name = side->Port.Name();
      CloseAll();
      ++FGeneration;
      throw ERunError(FormatText(Text(textid::kPortOpenFailed), {name, reason}));
    }
  }
  std::string firstFile;
  try {
    if (FSaveMode == kSaveExcel || FSaveMode == kSaveText) {
      TRecordRow headers;
      for (int i = 0; i < 8; ++i) headers[i] = Text(textid::kHeader0 + i);
      for (std::size_t i = 0; i < FCharacteristics.size(); ++i) {
        const std::string name = CharacteristicFileName(start.Local, FChoices.BatchNumber(),
                                                        FSaveMode, static_cast<int>(i + 1));
        if (i == 0) {
          firstFile = name;
          FView.ShowFilename(name);
        }
        FCharacteristics[i]->Record =
            CreateRecordFile(FSaveMode, FOptions.Directory, name, headers);
      }
    }
    CreateTraceFile(FOptions.Directory);
  } catch (...) {
    CloseAll();
    ++FGeneration;
    throw;
  }
  FRouter = std::make_unique<TPartRouter>(FPlan, static_cast<IPartEvents&>(*this));
  FRunning = true;
  // The batch and the settings are the run's until its end; Take value serves a Sylvac gauge.
  FView.EnableControl(TControl::Ed_CharNum, false);
  FView.EnableControl(TControl::Bu_Config, false);
  FView.EnableControl(TControl::Bu_MeasInit, false);
  FView.EnableControl(TControl::Bu_MeasStart,
                      std::any_of(FPlan.Characteristics.begin(), FPlan.Characteristics.end(),
                                  [](const TCharacteristic& c) { return c.Mode == 2; }));
  FView.EnableControl(TControl::Bu_MeasStop, true);
  FSeq = 0;
  FPartSeq.clear();
  FRunId = NewRunId(start.Instant);
  TRunStarted run;
  run.RunId = FRunId;
  run.Station = FChoices.Station();
  run.Batch = FChoices.BatchNumber();
  run.Mode = FPlan.Characteristics.front().Mode;
  run.Port = FSides.front()->Port.Name();
  run.RecordFile = firstFile;
  run.Start = start;
  run.PlanName = FPlan.Name;
  run.PartNumber = FPlan.PartNumber;
  run.PartName = FPlan.PartName;
  for (const TCharacteristic& c : FPlan.Characteristics)
    run.Characteristics.push_back(
        {c.Name, {c.Nominal, c.Lower, c.Upper}, c.Unit, c.Decimals, c.Port, c.Mode});
  for (IRunEvents* l : FListeners) l->RunStarted(run);
}

void TPlanRun::CloseAll() {
  for (auto& side : FSides) side->Port.Close();
  for (auto& c : FCharacteristics) {
    if (c->Record) c->Record->Close();
    c->Record.reset();
  }
}

void TPlanRun::End() {
  if (!FRunning) return;
  for (auto& side : FSides) side->Port.Close();
  FRunning = false;
  ++FGeneration;  // nothing read before this point is processed any more
  for (const TGaugeValue& held : FRouter->End())
    FView.AddMemoLine("COM" + std::to_string(held.Port) + " " + held.Text +
                      ": no part took this value");
  FView.AddMemoLine(Text(textid::kRunEnded));
  FOptions.Wait(100ms);
  CloseAll();
  const TRunEnded ended{FRunId, FChoices.ClockReading(), FSeq};
  for (IRunEvents* l : FListeners) l->RunEnded(ended);
  for (TControl c : {TControl::Bu_MeasInit, TControl::Ed_CharNum, TControl::Bu_Config})
    FView.EnableControl(c, true);
  FView.EnableControl(TControl::Bu_MeasStart, false);
  FView.EnableControl(TControl::Bu_MeasStop, false);
}

bool TPlanRun::SetPartId(const std::string& id) {
  return FRunning && FRouter->SetPartId(id);
}

bool TPlanRun::Repeat() {
  return FRunning && FRouter->Repeat();
}

bool TPlanRun::TakeValue(int characteristic) {
  if (!FRunning || characteristic < 1 ||
      characteristic > static_cast<int>(FPlan.Characteristics.size()))
    return false;
  const TCharacteristic& c = FPlan.Characteristics[characteristic - 1];
  if (c.Mode != 2) return false;
  TPortSide& side = static_cast<TPortSide&>(Port(c.Port));
  if (c.Cable == 0) {
    side.Port.WriteText("PRI\r");
  } else {
    side.Port.Close();
    FOptions.Wait(300ms);
    std::string reason;
    if (!side.Port.Open(reason))
      FView.AddMemoLine(FormatText(Text(textid::kPortOpenFailed), {side.Port.Name(), reason}));
    FOptions.Wait(200ms);
  }
  return true;
}

// A value text of a port, read as its characteristics' statistics will read it.
void TPlanRun::Decoded(TPortSide& side, const std::string& valueText) {
  const char separator = FChoices.FormatSettings().DecimalSeparator;
  std::string text = valueText;
  if (separator == ',')
    if (const std::size_t p = text.find('.'); p != std::string::npos) text[p] = ',';
  long double read = 0;
  if (!TryStrToFloat(text, separator, read)) return Refused(valueText, "not a number");
  const double sign = side.Mode == 3 && side.SignSwap ? -1.0 : 1.0;
  if (!FRouter->Received(
          {side.Com, static_cast<double>(read * sign), valueText, FChoices.ClockReading()})) {
    FView.AddMemoLine(
        FormatText(Text(textid::kValueAhead), {side.Port.Name(), valueText, side.Port.Name()}));
    Refused(valueText, "no part takes it yet (" + side.Port.Name() + " is a part ahead)");
  }
}

void TPlanRun::Refused(const std::string& text, const std::string& reason) {
  const TValueRefused refused{FRunId, text, reason};
  for (IRunEvents* l : FListeners) l->ValueRefused(refused);
}

void TPlanRun::ValueTaken(const TRoutedValue& v) {
  const TCharacteristic& c = FPlan.Characteristics[v.Characteristic];
  FPartSeq[v.Characteristic] = ++FSeq;
  TValueAccepted value;
  value.RunId = FRunId;
  value.Number = FSeq;
  value.Value = v.Gauge.Value;
  value.Text = v.Gauge.Text;
  value.Time = v.Gauge.Time;
  value.TimeText = TimeToText(v.Gauge.Time.Local, FChoices.FormatSettings());
  const analysis::TTolerance t{c.Nominal, c.Lower, c.Upper};
  value.Zone = !t.Any()                                                      ? TValueZone::None
               : analysis::Judge(v.Gauge.Value, t) == analysis::TZone::Below ? TValueZone::Below
               : analysis::Judge(v.Gauge.Value, t) == analysis::TZone::Above ? TValueZone::Above
                                                                             : TValueZone::Inside;
  value.Part = v.Part;
  value.PartId = v.PartId;
  value.Characteristic = v.Characteristic + 1;
  value.CharacteristicName = c.Name;
  for (IRunEvents* l : FListeners) l->ValueAccepted(value);
}

void TPlanRun::ValueDiscarded(const TRoutedValue& v) {
  FView.AddMemoLine(FormatText(Text(textid::kValueDiscarded),
                               {FPlan.Characteristics[v.Characteristic].Name, v.Gauge.Text}));
  const TValueDiscarded discarded{FRunId, FPartSeq[v.Characteristic]};
  FPartSeq.erase(v.Characteristic);
  for (IRunEvents* l : FListeners) l->ValueDiscarded(discarded);
}

// The part's values through their characteristics' processing, in plan order, then its line.
void TPlanRun::PartEnded(const TPartResult& part) {
  TPartEnded ended;
  ended.RunId = FRunId;
  ended.Part = part.Part;
  ended.PartId = part.PartId;
  ended.Complete = part.Complete;
  ended.Ok = part.Ok;
  ended.Values.resize(part.Values.size());
  const TFormatSettings fs = FChoices.FormatSettings();
  for (std::size_t i = 0; i < part.Values.size(); ++i) {
    if (!part.Values[i]) continue;
    const TGaugeValue& v = *part.Values[i];
    Process(static_cast<int>(i), v);
    ended.Values[i] = TPartValue{FPartSeq[static_cast<int>(i)], v.Value, v.Text, v.Time,
                                 TimeToText(v.Time.Local, fs)};
  }
  FPartSeq.clear();
  const std::string id = part.PartId.empty() ? "-" : part.PartId;
  FView.AddMemoLine("part=" + std::to_string(part.Part) + " id=" + id +
                    (part.Complete ? std::string(" result=") + (part.Ok ? "OK" : "NOK")
                                   : std::string(" incomplete")));
  for (IRunEvents* l : FListeners) l->PartEnded(ended);
}

void TPlanRun::Process(int characteristic, const TGaugeValue& value) {
  TCharacteristicState& c = *FCharacteristics[characteristic];
  const std::string& name = FPlan.Characteristics[characteristic].Name;
  if (c.Stats.Full()) {
    FView.AddMemoLine(name + ": " + Text(textid::kValueLimit));
    return;
  }
  const TFormatSettings fs = FChoices.FormatSettings();
  // The characteristic's own count; mean and deviation as a signed instrument's text gives them.
  c.Texts.Count = std::to_string(c.Stats.Count() + 1);
  c.Texts.Value = value.Text;
  c.Texts.Mean = c.Texts.Deviation = "0";
  try {
    if (ProcessValue(c.Texts, c.Stats, fs.DecimalSeparator, FView) != TValueOutcome::Accepted)
      return;
  } catch (const Exception& e) {
    FView.AddMemoLine(name + ": " + e.what());
    return;
  }
  const std::string time = TimeToText(value.Time.Local, fs);
  const std::string batch = FChoices.BatchNumber();
  FView.AddMemoLine(name + ": " + ValueLine(batch, time, c.Texts));
  if (!c.Record) return;
  try {
    c.Record->WriteRow({batch, time, c.Texts.Count, c.Texts.Value, c.Texts.Mean, c.Texts.Deviation,
                        c.Texts.Maximum, c.Texts.Minimum});
  } catch (const Exception& e) {
    FView.AddMemoLine(FormatText(Text(textid::kRowWriteFailed), {e.what()}));
  }
}

}  // namespace pzam::plan
