// Fuzzes the collector's reading of a run message (topic and payload as any broker may deliver
// them): it accepts or refuses with a one-line reason, and what it accepts is sent again by a
// station as the same message, byte for byte read back the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "plant/PlantMessages.h"

using namespace pzam::plant;

namespace {

TOutboxEntry EntryOf(const TPlantMessage& m) {
  TOutboxEntry e;
  e.Kind = m.Kind;
  switch (m.Kind) {
    case TOutboxKind::Start:
      e.Run.Start = m.Start;
      break;
    case TOutboxKind::Value:
      e.Run.Start.RunId = m.Value.RunId;
      e.Run.Start.Station = m.Station;
      e.Value = m.Value;
      break;
    case TOutboxKind::End:
      e.Run.Start.RunId = m.End.RunId;
      e.Run.Start.Station = m.Station;
      e.Run.Ended = m.End.Ended;
      e.Run.ValueCount = m.End.Count;
      break;
  }
  return e;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The topic up to the first line feed, the payload after it.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t cut = bytes.find('\n');
  if (cut == std::string_view::npos) return 0;
  const std::string_view topic = bytes.substr(0, cut), payload = bytes.substr(cut + 1);
  TPlantMessage message;
  std::string error;
  if (!ParseMessage(topic, payload, message, error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  if (message.Station.empty()) std::abort();
  const TMessage again = MessageOf(EntryOf(message));
  TPlantMessage back;
  if (!ParseMessage(again.Topic, again.Payload, back, error)) std::abort();
  if (MessageOf(EntryOf(back)).Payload != again.Payload) std::abort();
  return 0;
}
