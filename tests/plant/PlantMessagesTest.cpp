#include "plant/PlantMessages.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "PayloadCases.h"

namespace pzam::plant {
namespace {

using namespace test;

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

}  // namespace
}  // namespace pzam::plant
