#include "plant/PlantMessages.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::plant {
namespace {

constexpr char kRun[] = "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f";

TOutboxEntry StartEntry() {
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

TOutboxEntry ValueEntry() {
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

TOutboxEntry EndEntry() {
  TOutboxEntry e = StartEntry();
  e.Kind = TOutboxKind::End;
  e.Run.Ended = "2026-12-09T21:41:17.002+01:00";
  e.Run.ValueCount = 42;
  return e;
}

TEST(PlantMessages, WhatIsSentIsReadBackTheSame) {
  TOutboxEntry bare = StartEntry();
  bare.Run.Start.Nominal.reset();
  bare.Run.Start.Lsl.reset();
  bare.Run.Start.Usl.reset();
  TOutboxEntry plan = StartEntry();
  plan.Run.Start.PlanName = "Welle";
  plan.Run.Start.PartNumber = "4711-Ä";
  TOutboxEntry part = ValueEntry();
  part.Value.Tolerance = TToleranceZone::None;
  part.Value.Part = 4;
  part.Value.PartId = "SN 0815 \\ \u00e9";
  part.Value.Characteristic = 3;
  part.Value.CharacteristicName = "Ø außen";
  part.Value.Discarded = true;
  part.Value.Value = 1e-300;

  for (const TOutboxEntry& e : {StartEntry(), bare, plan, ValueEntry(), part, EndEntry()}) {
    const TMessage m = MessageOf(e);
    SCOPED_TRACE(m.Topic + " " + m.Payload);
    TPlantMessage got;
    std::string error;
    ASSERT_TRUE(ParseMessage(m.Topic, m.Payload, got, error)) << error;
    EXPECT_EQ(e.Kind, got.Kind);
    EXPECT_EQ("line3-gauge1", got.Station);
    const TRunStart& s = e.Run.Start;
    switch (e.Kind) {
      case TOutboxKind::Start:
        EXPECT_EQ("pzam/v1/line3-gauge1/run/" + std::string(kRun) + "/start", m.Topic);
        EXPECT_EQ(s.RunId, got.Start.RunId);
        EXPECT_EQ(s.Station, got.Start.Station);
        EXPECT_EQ(s.Batch, got.Start.Batch);
        EXPECT_EQ(s.Mode, got.Start.Mode);
        EXPECT_EQ(s.Port, got.Start.Port);
        EXPECT_EQ(s.RecordFile, got.Start.RecordFile);
        EXPECT_EQ(s.Nominal, got.Start.Nominal);
        EXPECT_EQ(s.Lsl, got.Start.Lsl);
        EXPECT_EQ(s.Usl, got.Start.Usl);
        EXPECT_EQ(s.Started, got.Start.Started);
        EXPECT_EQ(s.PlanName, got.Start.PlanName);
        EXPECT_EQ(s.PartNumber, got.Start.PartNumber);
        break;
      case TOutboxKind::Value:
        EXPECT_EQ("pzam/v1/line3-gauge1/run/" + std::string(kRun) + "/value", m.Topic);
        EXPECT_EQ(e.Value.Seq, got.Value.Seq);
        EXPECT_EQ(e.Value.Value, got.Value.Value);  // exactly: no digit lost
        EXPECT_EQ(e.Value.Text, got.Value.Text);
        EXPECT_EQ(e.Value.Time, got.Value.Time);
        EXPECT_EQ(e.Value.Tolerance, got.Value.Tolerance);
        EXPECT_EQ(e.Value.Part, got.Value.Part);
        EXPECT_EQ(e.Value.PartId, got.Value.PartId);
        EXPECT_EQ(e.Value.Characteristic, got.Value.Characteristic);
        EXPECT_EQ(e.Value.CharacteristicName, got.Value.CharacteristicName);
        EXPECT_EQ(e.Value.Discarded, got.Value.Discarded);
        break;
      case TOutboxKind::End:
        EXPECT_EQ("pzam/v1/line3-gauge1/run/" + std::string(kRun) + "/end", m.Topic);
        EXPECT_EQ(kRun, got.End.RunId);
        EXPECT_EQ(*e.Run.Ended, got.End.Ended);
        EXPECT_EQ(42, got.End.Count);
        break;
    }
  }
}

std::string Topic(const char* kind, const std::string& station = "st1") {
  return "pzam/v1/" + station + "/run/" + kRun + "/" + kind;
}

// A payload of the kind with one field replaced (null removes it).
std::string With(TOutboxEntry e, const char* key, const nlohmann::json& v) {
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

std::vector<TPayloadCase> PayloadCases() {
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

TEST(PlantMessages, BadPayloadsAreRefusedWithAReason) {
  for (const auto& c : PayloadCases()) {
    TPlantMessage m;
    std::string error;
    EXPECT_EQ(c.ok, ParseMessage(c.topic, c.payload, m, error)) << c.what << ": " << error;
    if (!c.ok) {
      EXPECT_NE("", error) << c.what;
      EXPECT_EQ(std::string::npos, error.find('\n')) << c.what;
    }
  }
}

TEST(PlantMessages, BadTopicsAreRefused) {
  const std::string payload = MessageOf(ValueEntry()).Payload;
  for (const std::string& topic : {std::string("pzam/v2/line3-gauge1/run/") + kRun + "/value",
                                   std::string("pzam/v1/line3-gauge1/run/") + kRun + "/values",
                                   std::string("pzam/v1/line3-gauge1/run/") + kRun + "/value/x",
                                   std::string("pzam/v1/line3-gauge1/run/") + kRun,
                                   std::string("pzam/v1/line3-gauge1/runs/") + kRun + "/value",
                                   std::string("pzam/v1//run/") + kRun + "/value",
                                   std::string("pzam/v1/line3-gauge1/run/not-a-uuid/value"),
                                   std::string("pzam/v1/line3-gauge1/status"), std::string("")}) {
    TPlantMessage m;
    std::string error;
    EXPECT_FALSE(ParseMessage(topic, payload, m, error)) << topic;
  }
}

TEST(PlantMessages, StationNames) {
  for (const char* good : {"a", "line3-gauge1", "Prüfplatz 7", "x.y_z"})
    EXPECT_TRUE(IsStationName(good)) << good;
  for (const std::string& bad : {std::string(""), std::string("a/b"), std::string("a+"),
                                 std::string("#"), std::string("a\nb"), std::string(65, 'x')})
    EXPECT_FALSE(IsStationName(bad)) << bad;
}

// The schemas in docs/plant/ say of every payload what the collector says, as far as a schema can
// (not: cross-field checks, calendar days, NUL characters and the size limit). Checked with an
// independent validator (Python's jsonschema, draft 2020-12).
TEST(PlantMessages, SchemasAgreeWithTheReader) {
  const std::string python = "/usr/bin/python3";
  test::TTempDir dir;
  nlohmann::json cases = nlohmann::json::array();
  const auto all = PayloadCases();
  for (const auto& c : all) {
    const nlohmann::json payload = nlohmann::json::parse(c.payload, nullptr, false);
    if (payload.is_discarded()) continue;  // not JSON: no schema question
    cases.push_back({c.schema, payload, c.what});
  }
  test::WriteFile(dir.File("cases.json"), cases.dump());
  const std::string script =
      "import json, sys, jsonschema\n"
      "docs = sys.argv[1]\n"
      "for kind, payload, what in json.load(open(sys.argv[2])):\n"
      "    schema = json.load(open(docs + '/' + kind + '.schema.json'))\n"
      "    jsonschema.Draft202012Validator.check_schema(schema)\n"
      "    ok = jsonschema.Draft202012Validator(schema).is_valid(payload)\n"
      "    print(what + '=' + ('1' if ok else '0'))\n";
  test::WriteFile(dir.File("check.py"), script);
  test::TChildProcess py(
      {python, {dir.File("check.py"), PZAM_DOCS_DIR "/plant", dir.File("cases.json")}, "", {}});
  ASSERT_TRUE(py.Started());
  py.CloseStdin();
  ASSERT_EQ(0, py.WaitForExit(std::chrono::seconds(60))) << py.Stderr();
  for (const auto& c : all) {
    const std::string line = std::string(c.what) + "=";
    const auto pos = py.Stdout().find(line);
    if (nlohmann::json::parse(c.payload, nullptr, false).is_discarded()) continue;
    ASSERT_NE(std::string::npos, pos) << c.what;
    EXPECT_EQ(c.schemaSays ? '1' : '0', py.Stdout()[pos + line.size()]) << c.what;
  }
}

}  // namespace
}  // namespace pzam::plant
