#include "MqttPackets.h"

namespace pzam::central {

namespace {

void PutU16(std::string& out, std::uint32_t v) {
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}

void PutU32(std::string& out, std::uint32_t v) {
  PutU16(out, v >> 16);
  PutU16(out, v & 0xFFFF);
}

void PutVarInt(std::string& out, std::size_t v) {
  do {
    std::uint8_t b = v % 128;
    v /= 128;
    if (v > 0) b |= 0x80;
    out += static_cast<char>(b);
  } while (v > 0);
}

void PutString(std::string& out, std::string_view s) {
  PutU16(out, static_cast<std::uint32_t>(s.size()));
  out += s;
}

std::string Packet(TPacketType type, std::uint8_t flags, const std::string& body) {
  std::string out;
  out += static_cast<char>((static_cast<std::uint8_t>(type) << 4) | flags);
  PutVarInt(out, body.size());
  return out + body;
}

// Reads from a body front to back; any read past the end sets Bad.
class TReader {
 public:
  explicit TReader(std::string_view s) : FRest(s) {}
  bool Bad() const { return FBad; }
  std::size_t Left() const { return FRest.size(); }
  std::uint8_t U8() {
    if (FRest.empty()) return Fail(), 0;
    const auto v = static_cast<std::uint8_t>(FRest[0]);
    FRest.remove_prefix(1);
    return v;
  }
  std::uint16_t U16() { return static_cast<std::uint16_t>((U8() << 8) | U8()); }
  std::size_t VarInt() {
    std::size_t v = 0;
    for (int i = 0; i < 4; ++i) {
      const std::uint8_t b = U8();
      v |= static_cast<std::size_t>(b & 0x7F) << (7 * i);
      if ((b & 0x80) == 0) return v;
    }
    return Fail(), 0;
  }
  std::string_view Bytes(std::size_t n) {
    if (n > FRest.size()) return Fail(), std::string_view();
    const auto v = FRest.substr(0, n);
    FRest.remove_prefix(n);
    return v;
  }
  std::string_view Rest() { return Bytes(FRest.size()); }

 private:
  void Fail() {
    FBad = true;
    FRest = {};
  }
  std::string_view FRest;
  bool FBad = false;
};

}  // namespace

std::string EncodeConnect(const TConnectPacket& p) {
  std::string body;
  PutString(body, "MQTT");
  body += static_cast<char>(5);
  std::uint8_t flags = p.CleanStart ? 0x02 : 0x00;
  if (!p.User.empty()) flags |= 0x80;
  if (!p.Password.empty()) flags |= 0x40;
  body += static_cast<char>(flags);
  PutU16(body, p.KeepAliveSeconds);
  std::string props;
  props += static_cast<char>(0x11);  // Session Expiry Interval
  PutU32(props, p.SessionExpirySeconds);
  props += static_cast<char>(0x21);  // Receive Maximum
  PutU16(props, p.ReceiveMaximum);
  props += static_cast<char>(0x27);  // Maximum Packet Size
  PutU32(props, p.MaximumPacketSize);
  PutVarInt(body, props.size());
  body += props;
  PutString(body, p.ClientId);
  if (!p.User.empty()) PutString(body, p.User);
  if (!p.Password.empty()) PutString(body, p.Password);
  return Packet(TPacketType::Connect, 0, body);
}

std::string EncodeSubscribe(std::uint16_t packetId, const std::string& filter, int qos) {
  std::string body;
  PutU16(body, packetId);
  body += '\0';  // no properties
  PutString(body, filter);
  body += static_cast<char>(qos & 0x03);
  return Packet(TPacketType::Subscribe, 0x02, body);
}

std::string EncodePubAck(std::uint16_t packetId) {
  std::string body;
  PutU16(body, packetId);  // reason code omitted: success
  return Packet(TPacketType::PubAck, 0, body);
}

std::string EncodePingReq() {
  return Packet(TPacketType::PingReq, 0, {});
}

std::string EncodeDisconnect() {
  return Packet(TPacketType::Disconnect, 0, {});
}

TFrame TakePacket(std::string_view& buffer, std::size_t maxBytes, TRawPacket& packet) {
  if (buffer.size() < 2) return TFrame::Incomplete;
  std::size_t length = 0, pos = 1;
  for (int i = 0;; ++i) {
    if (i == 4) return TFrame::Broken;
    if (pos >= buffer.size()) return TFrame::Incomplete;
    const auto b = static_cast<std::uint8_t>(buffer[pos++]);
    length |= static_cast<std::size_t>(b & 0x7F) << (7 * i);
    if ((b & 0x80) == 0) break;
  }
  if (length > maxBytes) return TFrame::Broken;
  if (buffer.size() - pos < length) return TFrame::Incomplete;
  const auto first = static_cast<std::uint8_t>(buffer[0]);
  packet.Type = static_cast<TPacketType>(first >> 4);
  packet.Flags = first & 0x0F;
  packet.Body = buffer.substr(pos, length);
  buffer.remove_prefix(pos + length);
  return TFrame::Complete;
}

bool DecodePublish(const TRawPacket& raw, TPublishPacket& p) {
  if (raw.Type != TPacketType::Publish) return false;
  p.Qos = (raw.Flags >> 1) & 0x03;
  if (p.Qos == 3) return false;
  TReader r(raw.Body);
  p.Topic = r.Bytes(r.U16());
  p.PacketId = p.Qos > 0 ? r.U16() : 0;
  r.Bytes(r.VarInt());  // properties: none is needed
  p.Payload = r.Rest();
  return !r.Bad() && !p.Topic.empty() && (p.Qos == 0 || p.PacketId != 0);
}

std::optional<TConnAck> DecodeConnAck(const TRawPacket& raw) {
  if (raw.Type != TPacketType::ConnAck) return std::nullopt;
  TReader r(raw.Body);
  TConnAck a;
  a.SessionPresent = (r.U8() & 0x01) != 0;
  a.ReasonCode = r.U8();
  if (r.Bad()) return std::nullopt;
  return a;
}

std::optional<TSubAck> DecodeSubAck(const TRawPacket& raw) {
  if (raw.Type != TPacketType::SubAck) return std::nullopt;
  TReader r(raw.Body);
  TSubAck a;
  a.PacketId = r.U16();
  r.Bytes(r.VarInt());
  a.ReasonCode = r.U8();
  if (r.Bad()) return std::nullopt;
  return a;
}

}  // namespace pzam::central
