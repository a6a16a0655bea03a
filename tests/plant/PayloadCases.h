// Messages and payloads the plant message tests share: one run's start, value and end entries,
// and payloads of every kind, each with what the reader and a JSON Schema validator say of it.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "plant/PlantMessages.h"

namespace pzam::plant::test {

inline constexpr char kRun[] = "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f";

inline TOutboxEntry StartEntry() {
  TOutboxEntry e;
  e.Kind = TOutboxKind::Start;
  TRunStart& s = e.Run.Start;
  s.RunId = kRun;
  s.Station = "line3-gauge1";
  s.Batch = "B-4711 \"x\"; DROP TABLE pzam.run; --";
  s.Mode = 3;
  s.Port = "COM5";
  s.RecordFile = "C:\\PZAM\\20261209_213005_B-4711.csv";
  s.Nominal = 10.0;
  s.Lsl = 9.95;
  s.Usl = 10.05;
  s.Started = "2026-12-09T21:30:05.123+01:00";
  return e;
}

inline TOutboxEntry ValueEntry() {
  TOutboxEntry e = StartEntry();
  e.Kind = TOutboxKind::Value;
  TValueRecord& v = e.Value;
  v.RunId = kRun;
  v.Seq = 17;
  v.Value = -0.1 + 0.2;  // a double that needs all its digits
  v.Text = "+000.100";
  v.Time = "2026-12-09T21:30:06.481+01:00";
  v.Tolerance = TToleranceZone::Below;
  return e;
}

inline TOutboxEntry EndEntry() {
  TOutboxEntry e = StartEntry();
  e.Kind = TOutboxKind::End;
  e.Run.Ended = "2026-12-09T21:41:17.002+01:00";
  e.Run.ValueCount = 42;
  return e;
}

inline std::string Topic(const char* kind, const std::string& station = "st1") {
  return "pzam/v1/" + station + "/run/" + kRun + "/" + kind;
}

// A payload of the kind with one field replaced (null removes it).
inline std::string With(TOutboxEntry e, const char* key, const nlohmann::json& v) {
  nlohmann::json j = nlohmann::json::parse(MessageOf(e).Payload);
  if (v.is_null()) {
    j.erase(key);
  } else {
    j[key] = v;
  }
  return j.dump();
}

struct TPayloadCase {
  const char* what;
  std::string schema;  // start, value, end
  std::string topic;
  std::string payload;
  bool ok;
  bool schemaSays;  // what a JSON Schema validator says of the payload alone
};

inline std::vector<TPayloadCase> PayloadCases() {
  const std::string s = Topic("start", "line3-gauge1"), v = Topic("value", "line3-gauge1"),
                    e = Topic("end", "line3-gauge1");
  const TOutboxEntry st = StartEntry(), va = ValueEntry(), en = EndEntry();
  return {
      {"start as sent", "start", s, MessageOf(st).Payload, true, true},
      {"value as sent", "value", v, MessageOf(va).Payload, true, true},
      {"end as sent", "end", e, MessageOf(en).Payload, true, true},
      {"unknown fields are ignored", "value", v, With(va, "unit", "mm"), true, true},
      {"a whole number written 3.0", "value", v, With(va, "seq", 3.0), true, true},
      {"seq 0", "value", v, With(va, "seq", 0), false, false},
      {"seq 2^31", "value", v, With(va, "seq", 2147483648LL), false, false},
      {"seq 1.5", "value", v, With(va, "seq", 1.5), false, false},
      {"seq as text", "value", v, With(va, "seq", "1"), false, false},
      {"no seq", "value", v, With(va, "seq", nullptr), false, false},
      {"value as text", "value", v, With(va, "value", "1.0"), false, false},
      {"no value", "value", v, With(va, "value", nullptr), false, false},
      {"tolerance other", "value", v, With(va, "tolerance", "inside"), false, false},
      {"tolerance empty", "value", v, With(va, "tolerance", ""), false, false},
      {"discarded as 1", "value", v, With(va, "discarded", 1), false, false},
      {"part 0", "value", v, With(va, "part", 0), false, false},
      {"characteristic -1", "value", v, With(va, "characteristic", -1), false, false},
      {"time without offset", "value", v, With(va, "time", "2026-12-09T21:30:06.481"), false,
       false},
      {"time with a blank", "value", v, With(va, "time", "2026-12-09 21:30:06.481Z"), false, false},
      {"time with SQL", "value", v, With(va, "time", "2026-12-09T21:30:06Z'; --"), false, false},
      {"time on 30 February", "value", v, With(va, "time", "2026-02-30T21:30:06Z"), false, true},
      {"text with NUL", "value", v, With(va, "text", std::string("1\0x", 3)), false, true},
      {"run_id not a UUID", "value", v, With(va, "run_id", "r1"), false, false},
      {"run_id of another run", "value", v,
       With(va, "run_id", "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e70"), false, true},
      {"station of another station", "start", s, With(st, "station", "line4"), false, true},
      {"station with a slash", "start", s, With(st, "station", "a/b"), false, false},
      {"no batch", "start", s, With(st, "batch", nullptr), false, false},
      {"mode as text", "start", s, With(st, "mode", "0"), false, false},
      {"lsl as null", "start", s, With(st, "lsl", nlohmann::json::array()), false, false},
      {"started missing", "start", s, With(st, "started", nullptr), false, false},
      {"count -1", "end", e, With(en, "count", -1), false, false},
      {"ended not a time", "end", e, With(en, "ended", "yesterday"), false, false},
      {"an array", "value", v, "[1,2]", false, false},
      {"not JSON", "value", v, "{\"run_id\": ", false, false},
      {"not UTF-8", "value", v, With(va, "text", "x") + "\xff", false, false},
      {"over 64 KiB", "value", v, With(va, "text", std::string(70000, 'x')), false, true},
  };
}

}  // namespace pzam::plant::test
