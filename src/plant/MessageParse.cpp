// Reading received run messages: the topic, then the payload against its schema. Every field is
// checked here, so a message that passes can be stored without an error of the store's own.
#include <cmath>
#include <cstdint>
#include <nlohmann/json.hpp>

#include "common/RunId.h"
#include "plant/IsoTime.h"
#include "plant/PlantMessages.h"

namespace pzam::plant {

namespace {

using TJson = nlohmann::json;

constexpr std::int64_t kMaxInt32 = 2147483647;

// Reads fields of one payload object, keeping the first problem.
class TFieldReader {
 public:
  explicit TFieldReader(const TJson& j) : FJson(j) {}
  const std::string& Problem() const { return FProblem; }

  std::string Text(const char* key) {
    std::string v;
    Text(key, v, true);
    return v;
  }
  std::optional<std::string> OptText(const char* key) {
    std::string v;
    return Text(key, v, false) ? std::optional<std::string>(v) : std::nullopt;
  }
  std::string Time(const char* key) {
    std::string v = Text(key);
    if (FProblem.empty() && !IsIsoTimeText(v)) Fail(key, "is not an ISO 8601 time with offset");
    return v;
  }
  std::int64_t Integer(const char* key, std::int64_t min) {
    return OptInteger(key, min, true).value_or(0);
  }
  std::optional<std::int64_t> OptInteger(const char* key, std::int64_t min, bool required = false) {
    const auto* v = Find(key, required);
    if (v == nullptr) return std::nullopt;
    // As JSON Schema counts them: 3 and 3.0 are whole numbers, 3.5 is not.
    if (!v->is_number() ||
        (v->is_number_float() &&
         (!std::isfinite(v->get<double>()) || std::trunc(v->get<double>()) != v->get<double>())))
      return Fail(key, "is not a whole number"), std::nullopt;
    std::int64_t n = kMaxInt32 + 1;
    if (v->is_number_float()) {
      const double d = v->get<double>();
      if (d >= static_cast<double>(-kMaxInt32 - 1) && d <= static_cast<double>(kMaxInt32))
        n = static_cast<std::int64_t>(d);
    } else if (!v->is_number_unsigned() || v->get<std::uint64_t>() <= kMaxInt32) {
      n = v->get<std::int64_t>();
    }
    if (n < min || n > kMaxInt32) return Fail(key, "is out of range"), std::nullopt;
    return n;
  }
  double Number(const char* key) { return OptNumber(key, true).value_or(0); }
  std::optional<double> OptNumber(const char* key, bool required = false) {
    const auto* v = Find(key, required);
    if (v == nullptr) return std::nullopt;
    if (!v->is_number() || !std::isfinite(v->get<double>()))
      return Fail(key, "is not a number"), std::nullopt;
    return v->get<double>();
  }
  bool Flag(const char* key) {
    const auto* v = Find(key, false);
    if (v == nullptr) return false;
    if (!v->is_boolean()) return Fail(key, "is not true or false"), false;
    return v->get<bool>();
  }

 private:
  const TJson* Find(const char* key, bool required) {
    if (!FProblem.empty()) return nullptr;
    const auto it = FJson.find(key);
    if (it == FJson.end()) {
      if (required) Fail(key, "is missing");
      return nullptr;
    }
    return &*it;
  }
  bool Text(const char* key, std::string& out, bool required) {
    const auto* v = Find(key, required);
    if (v == nullptr) return false;
    if (!v->is_string()) return Fail(key, "is not a text"), false;
    out = v->get<std::string>();
    if (out.find('\0') != std::string::npos) return Fail(key, "holds a NUL character"), false;
    return true;
  }
  void Fail(const char* key, const char* why) {
    if (FProblem.empty()) FProblem = std::string("\"") + key + "\" " + why;
  }

  const TJson& FJson;
  std::string FProblem;
};

// Splits "pzam/v1/<station>/run/<run_id>/<kind>".
bool SplitTopic(std::string_view topic, std::string& station, std::string& runId,
                TOutboxKind& kind) {
  constexpr std::string_view prefix = "pzam/v1/";
  if (!topic.starts_with(prefix)) return false;
  topic.remove_prefix(prefix.size());
  const auto slash = topic.find('/');
  if (slash == std::string_view::npos) return false;
  station = topic.substr(0, slash);
  topic.remove_prefix(slash + 1);
  if (!topic.starts_with("run/") || topic.size() < 4 + 36 + 1) return false;
  runId = topic.substr(4, 36);
  const std::string_view rest = topic.substr(4 + 36);
  if (rest == "/start") {
    kind = TOutboxKind::Start;
  } else if (rest == "/value") {
    kind = TOutboxKind::Value;
  } else if (rest == "/end") {
    kind = TOutboxKind::End;
  } else {
    return false;
  }
  return IsStationName(station) && IsUuidText(runId);
}

void ReadStart(TFieldReader& f, TRunStart& s) {
  s.RunId = f.Text("run_id");
  s.Station = f.Text("station");
  s.Batch = f.Text("batch");
  s.Mode = static_cast<int>(f.Integer("mode", 0));
  s.Port = f.Text("port");
  s.RecordFile = f.Text("record_file");
  s.Nominal = f.OptNumber("nominal");
  s.Lsl = f.OptNumber("lsl");
  s.Usl = f.OptNumber("usl");
  s.Started = f.Time("started");
  s.PlanName = f.OptText("plan_name");
  s.PartNumber = f.OptText("part_number");
}

void ReadValue(TFieldReader& f, TValueRecord& v, std::string& problem) {
  v.RunId = f.Text("run_id");
  v.Seq = f.Integer("seq", 1);
  v.Value = f.Number("value");
  v.Text = f.Text("text");
  v.Time = f.Time("time");
  if (const auto zone = f.OptText("tolerance")) {
    if (*zone == "" || !ZoneFromText(*zone, v.Tolerance))
      problem = "\"tolerance\" is not \"in\", \"below\" or \"above\"";
  }
  v.Part = f.OptInteger("part", 1);
  v.PartId = f.OptText("part_id");
  v.Characteristic = f.OptInteger("characteristic", 1).value_or(1);
  v.CharacteristicName = f.OptText("characteristic_name");
  v.Discarded = f.Flag("discarded");
}

void ReadEnd(TFieldReader& f, TRunEnd& e) {
  e.RunId = f.Text("run_id");
  e.Ended = f.Time("ended");
  e.Count = f.Integer("count", 0);
}

}  // namespace

bool ParseMessage(std::string_view topic, std::string_view payload, TPlantMessage& m,
                  std::string& error) {
  std::string runId;
  if (!SplitTopic(topic, m.Station, runId, m.Kind)) {
    error = "not a run topic";
    return false;
  }
  if (payload.size() > kMaxPayloadBytes) {
    error = "payload of " + std::to_string(payload.size()) + " bytes is over the limit";
    return false;
  }
  const TJson j = TJson::parse(payload, nullptr, false);
  if (j.is_discarded() || !j.is_object()) {
    error = "payload is not a JSON object";
    return false;
  }
  TFieldReader f(j);
  std::string problem, payloadRunId;
  switch (m.Kind) {
    case TOutboxKind::Start:
      ReadStart(f, m.Start);
      payloadRunId = m.Start.RunId;
      if (f.Problem().empty() && m.Start.Station != m.Station)
        problem = "\"station\" differs from the topic's";
      break;
    case TOutboxKind::Value:
      ReadValue(f, m.Value, problem);
      payloadRunId = m.Value.RunId;
      break;
    case TOutboxKind::End:
      ReadEnd(f, m.End);
      payloadRunId = m.End.RunId;
      break;
  }
  if (!f.Problem().empty()) problem = f.Problem();
  if (problem.empty() && payloadRunId != runId) problem = "\"run_id\" differs from the topic's";
  if (!problem.empty()) {
    error = problem;
    return false;
  }
  return true;
}

}  // namespace pzam::plant
