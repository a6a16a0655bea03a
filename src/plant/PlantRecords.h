// The plain records of plant data: a run's start and end, one accepted value, and what the journal
// gives back. Times are ISO 8601 texts with milliseconds and UTC offset
// ("2026-12-09T21:30:05.123+01:00"), taken once where the run accepts a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pzam::plant {

// A characteristic of an inspection plan as a run started with it: name, limits (each may be
// absent), unit, decimals and the gauge's port (COM number) and operating mode.
struct TCharacteristicRecord {
  std::string Name;
  std::optional<double> Nominal, Lsl, Usl;
  std::string Unit;
  int Decimals = 3;
  int Port = 0;
  int Mode = 0;
  bool operator==(const TCharacteristicRecord&) const = default;
};

// What a run is started with. Nominal and limits may each be absent.
struct TRunStart {
  std::string RunId;  // UUID v7, lower-case text
  std::string Station;
  std::string Batch;
  int Mode = 0;  // operating mode of the gauge (0, 2, 3)
  std::string Port;
  std::string RecordFile;
  std::optional<double> Nominal, Lsl, Usl;
  std::string Started;
  // Filled by runs of an inspection plan; absent otherwise.
  std::optional<std::string> PlanName, PartNumber, PartName;
  // The plan's characteristics in plan order (characteristic 1, 2, ...); empty without a plan and
  // in runs journaled before the journal kept them. Kept in the station journal only: the run's
  // messages do not carry them.
  std::vector<TCharacteristicRecord> Characteristics;
};

// Where a value lies against the run's tolerance; None when no tolerance is set.
enum class TToleranceZone { None, In, Below, Above };

// "in", "below", "above"; "" for None.
const char* ZoneText(TToleranceZone zone);
// The zone of a text as ZoneText writes it; false for any other text.
bool ZoneFromText(const std::string& text, TToleranceZone& zone);

// One accepted value of a run. Runs without a plan carry characteristic 1 and no part.
struct TValueRecord {
  std::string RunId;
  std::int64_t Seq = 0;  // 1, 2, ... within the run
  double Value = 0;
  std::string Text;  // the gauge's text of the value
  std::string Time;
  TToleranceZone Tolerance = TToleranceZone::None;
  std::optional<std::int64_t> Part;
  std::optional<std::string> PartId;
  std::int64_t Characteristic = 1;
  std::optional<std::string> CharacteristicName;
  bool Discarded = false;
};

struct TRunEnd {
  std::string RunId;
  std::string Ended;
  std::int64_t Count = 0;
};

// A run as the journal holds it: Ended is absent while the run is open.
struct TRunRecord {
  TRunStart Start;
  std::optional<std::string> Ended;
  std::int64_t ValueCount = 0;
};

enum class TOutboxKind { Start = 0, Value = 1, End = 2 };

// One unpublished event in journal order: the run for every kind, the value for Value.
struct TOutboxEntry {
  std::int64_t Id = 0;
  TOutboxKind Kind = TOutboxKind::Start;
  TRunRecord Run;
  TValueRecord Value;
};

}  // namespace pzam::plant
