// The few MQTT 5 packets a subscriber needs, encoded and decoded by hand: the collector must send
// each PUBACK itself, after the message's row is committed, which the client libraries at hand do
// not allow (they acknowledge when their arrival callback returns). Decoding is safe on any bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pzam::central {

enum class TPacketType : std::uint8_t {
  Connect = 1,
  ConnAck = 2,
  Publish = 3,
  PubAck = 4,
  Subscribe = 8,
  SubAck = 9,
  PingReq = 12,
  PingResp = 13,
  Disconnect = 14,
};

struct TConnectPacket {
  std::string ClientId, User, Password;
  bool CleanStart = false;
  std::uint16_t KeepAliveSeconds = 30;
  std::uint32_t SessionExpirySeconds = 0;
  std::uint16_t ReceiveMaximum = 1000;
  std::uint32_t MaximumPacketSize = 1u << 20;
};

std::string EncodeConnect(const TConnectPacket& p);
std::string EncodeSubscribe(std::uint16_t packetId, const std::string& filter, int qos);
std::string EncodePubAck(std::uint16_t packetId);
std::string EncodePingReq();
std::string EncodeDisconnect();

// One packet as read from the stream: its type, the flags of the first byte and the body.
struct TRawPacket {
  TPacketType Type;
  std::uint8_t Flags;
  std::string Body;
};

enum class TFrame { Complete, Incomplete, Broken };
// Takes the first packet off the front of `input` (the view moves past it) when it is complete.
// Broken for a remaining length that is malformed or over maxBytes.
TFrame TakePacket(std::string_view& input, std::size_t maxBytes, TRawPacket& packet);

struct TPublishPacket {
  std::string Topic;
  std::string Payload;
  int Qos = 0;
  std::uint16_t PacketId = 0;
  bool Refused = false;  // reported as refused already
};
// False for a body that is not a well-formed MQTT 5 PUBLISH.
bool DecodePublish(const TRawPacket& raw, TPublishPacket& p);

// The CONNACK's reason code (0 is success) and session-present flag; nullopt when malformed.
struct TConnAck {
  bool SessionPresent = false;
  int ReasonCode = 0;
};
std::optional<TConnAck> DecodeConnAck(const TRawPacket& raw);
// The SUBACK's packet id and first reason code (0..2 granted QoS, 0x80 and up refused).
struct TSubAck {
  std::uint16_t PacketId = 0;
  int ReasonCode = 0;
};
std::optional<TSubAck> DecodeSubAck(const TRawPacket& raw);

}  // namespace pzam::central
