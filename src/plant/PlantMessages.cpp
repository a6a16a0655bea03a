// Building the messages of outbox entries.
#include "plant/PlantMessages.h"

#include <nlohmann/json.hpp>

namespace pzam::plant {

namespace {

using TJson = nlohmann::ordered_json;

template <typename T>
void SetIf(TJson& j, const char* key, const std::optional<T>& v) {
  if (v) j[key] = *v;
}

std::string RunTopic(const TRunStart& run, const char* kind) {
  return "pzam/v1/" + run.Station + "/run/" + run.RunId + "/" + kind;
}

TMessage StartMessage(const TRunRecord& r) {
  const TRunStart& s = r.Start;
  TJson j;
  j["run_id"] = s.RunId;
  j["station"] = s.Station;
  j["batch"] = s.Batch;
  j["mode"] = s.Mode;
  j["port"] = s.Port;
  j["record_file"] = s.RecordFile;
  SetIf(j, "nominal", s.Nominal);
  SetIf(j, "lsl", s.Lsl);
  SetIf(j, "usl", s.Usl);
  j["started"] = s.Started;
  SetIf(j, "plan_name", s.PlanName);
  SetIf(j, "part_number", s.PartNumber);
  return {RunTopic(s, "start"), j.dump()};
}

TMessage ValueMessage(const TRunRecord& r, const TValueRecord& v) {
  TJson j;
  j["run_id"] = v.RunId;
  j["seq"] = v.Seq;
  j["value"] = v.Value;
  j["text"] = v.Text;
  j["time"] = v.Time;
  if (v.Tolerance != TToleranceZone::None) j["tolerance"] = ZoneText(v.Tolerance);
  SetIf(j, "part", v.Part);
  SetIf(j, "part_id", v.PartId);
  j["characteristic"] = v.Characteristic;
  SetIf(j, "characteristic_name", v.CharacteristicName);
  if (v.Discarded) j["discarded"] = true;
  return {RunTopic(r.Start, "value"), j.dump()};
}

TMessage EndMessage(const TRunRecord& r) {
  TJson j;
  j["run_id"] = r.Start.RunId;
  j["ended"] = r.Ended.value_or("");
  j["count"] = r.ValueCount;
  return {RunTopic(r.Start, "end"), j.dump()};
}

}  // namespace

bool IsStationName(std::string_view station) {
  if (station.empty() || station.size() > 64) return false;
  for (unsigned char c : station) {
    if (c < 0x20 || c == 0x7F || c == '/' || c == '+' || c == '#') return false;
  }
  return true;
}

std::string StatusTopic(const std::string& station) {
  return "pzam/v1/" + station + "/status";
}

TMessage MessageOf(const TOutboxEntry& e) {
  switch (e.Kind) {
    case TOutboxKind::Value:
      return ValueMessage(e.Run, e.Value);
    case TOutboxKind::End:
      return EndMessage(e.Run);
    case TOutboxKind::Start:
      break;
  }
  return StartMessage(e.Run);
}

}  // namespace pzam::plant
