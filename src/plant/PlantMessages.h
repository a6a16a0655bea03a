// The messages of plant data on the broker: topics and UTF-8 JSON payloads of version 1, described
// for other consumers by the JSON Schemas in docs/plant/.
//
//   pzam/v1/<station>/run/<run_id>/start   the run's particulars
//   pzam/v1/<station>/run/<run_id>/value   one accepted value
//   pzam/v1/<station>/run/<run_id>/end     the run's end and its count
//   pzam/v1/<station>/status               "online" / "offline", retained
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "plant/PlantRecords.h"

namespace pzam::plant {

// A payload above this size is refused by every receiver.
inline constexpr std::size_t kMaxPayloadBytes = 64 * 1024;

struct TMessage {
  std::string Topic;
  std::string Payload;
};

// True for a station name that fits one topic level: 1 to 64 bytes of UTF-8 without "/", "+",
// "#" or control characters.
bool IsStationName(std::string_view station);

std::string StatusTopic(const std::string& station);
// The filter a collector subscribes to: every run message of every station.
inline constexpr char kRunTopicFilter[] = "pzam/v1/+/run/#";

// The message of an outbox entry.
TMessage MessageOf(const TOutboxEntry& entry);

// A received run message, read and checked.
struct TPlantMessage {
  TOutboxKind Kind = TOutboxKind::Start;
  std::string Station;  // from the topic
  TRunStart Start;      // Kind Start
  TValueRecord Value;   // Kind Value
  TRunEnd End;          // Kind End
};

// Reads a run message. False, with a one-line reason in `error`, when the topic is not a run topic,
// the payload is larger than kMaxPayloadBytes, is not JSON or does not fit its schema, or the
// topic's station or run id differs from the payload's.
bool ParseMessage(std::string_view topic, std::string_view payload, TPlantMessage& message,
                  std::string& error);

}  // namespace pzam::plant
