#include "MqttSubscriber.h"

#include <poll.h>

namespace pzam::central {

namespace {

using TClock = std::chrono::steady_clock;
constexpr std::size_t kMaxPacket = 1u << 20;  // as announced in CONNECT
constexpr int kWriteTimeoutMs = 5000;

}  // namespace

bool TMqttSubscriber::Lost(const std::string& why, std::string& error) {
  error = why;
  FStream.Close();
  FInput.clear();
  FPackets.clear();
  FReceived.clear();  // not acknowledged: the broker sends them again
  return false;
}

bool TMqttSubscriber::Send(const std::string& bytes, std::string& error) {
  if (!FStream.WriteAll(bytes, kWriteTimeoutMs)) return Lost("cannot write to the broker", error);
  FLastSent = TClock::now();
  return true;
}

bool TMqttSubscriber::ReadPackets(std::string& error) {
  // What is there now, up to about two megabytes at a time (room for the largest packet).
  // A broker that closes right after its last packet (a refused login) is read to the end
  // first, so that packet is handled.
  FClosed = false;
  while (FInput.size() < 2 * kMaxPacket) {
    const long n = FStream.ReadSome(FInput);
    if (n < 0) FClosed = true;
    if (n <= 0) break;
  }
  std::string_view rest(FInput);
  for (;;) {
    TRawPacket p;
    const TFrame f = TakePacket(rest, kMaxPacket, p);
    if (f == TFrame::Broken) return Lost("broken packet from the broker", error);
    if (f == TFrame::Incomplete) break;
    FPackets.push_back(std::move(p));
  }
  FInput.erase(0, FInput.size() - rest.size());  // once for all packets taken
  return true;
}

bool TMqttSubscriber::Connect(int timeoutMs, std::string& error) {
  Disconnect();
  if (!FStream.Connect(FOptions.Url.Host, FOptions.Url.Port, FOptions.Url.Tls, FOptions.CAFile,
                       timeoutMs, error))
    return false;
  TConnectPacket c;
  c.ClientId = FOptions.ClientId;
  c.User = FOptions.User;
  c.Password = FOptions.Password;
  c.KeepAliveSeconds = FOptions.KeepAliveSeconds;
  c.SessionExpirySeconds = FOptions.SessionExpirySeconds;
  c.ReceiveMaximum = FOptions.ReceiveMaximum;
  c.MaximumPacketSize = kMaxPacket;
  if (!Send(EncodeConnect(c), error)) return false;
  bool connAck = false, subscribed = false;
  const auto deadline = TClock::now() + std::chrono::milliseconds(timeoutMs);
  while (!subscribed) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now()).count();
    pollfd p{FStream.Fd(), POLLIN, 0};
    if (left <= 0 || (!FStream.HasBuffered() && ::poll(&p, 1, static_cast<int>(left)) <= 0))
      return Lost("no answer from the broker", error);
    if (!ReadPackets(error)) return false;
    std::vector<TRawPacket> packets;
    packets.swap(FPackets);
    for (const TRawPacket& raw : packets) {
      if (const auto a = DecodeConnAck(raw); a && !connAck) {
        if (a->ReasonCode != 0)
          return Lost("broker refused the connection (reason " + std::to_string(a->ReasonCode) +
                          (a->ReasonCode == 0x86 || a->ReasonCode == 0x87
                               ? ": bad user name or password, or not authorized)"
                               : ")"),
                      error);
        connAck = true;
        if (!Send(EncodeSubscribe(1, FOptions.Filter, 1), error)) return false;
      } else if (const auto s = DecodeSubAck(raw); s && connAck) {
        if (s->ReasonCode >= 0x80)
          return Lost("broker refused the subscription to '" + FOptions.Filter + "' (reason " +
                          std::to_string(s->ReasonCode) + ")",
                      error);
        subscribed = true;
      } else if (raw.Type == TPacketType::Publish) {
        TPublishPacket m;
        if (!DecodePublish(raw, m)) return Lost("broken message from the broker", error);
        FReceived.push_back(std::move(m));
      }
    }
    if (FClosed) return Lost("connection to the broker lost", error);
  }
  FPingOutstanding = false;
  return true;
}

bool TMqttSubscriber::Poll(std::vector<TPublishPacket>& out, std::string& error) {
  for (auto& m : FReceived) out.push_back(std::move(m));
  FReceived.clear();
  if (!FStream.IsOpen()) return Lost("not connected", error);
  if (!ReadPackets(error)) return false;
  for (const TRawPacket& raw : FPackets) {
    switch (raw.Type) {
      case TPacketType::Publish: {
        TPublishPacket m;
        if (!DecodePublish(raw, m)) return Lost("broken message from the broker", error);
        out.push_back(std::move(m));
        break;
      }
      case TPacketType::PingResp:
        FPingOutstanding = false;
        break;
      case TPacketType::Disconnect:
        return Lost("the broker ended the connection", error);
      default:
        break;
    }
  }
  FPackets.clear();
  if (FClosed) return Lost("connection to the broker lost", error);
  return true;
}

bool TMqttSubscriber::Ack(const std::vector<std::uint16_t>& ids, std::string& error) {
  if (ids.empty()) return true;
  std::string bytes;
  for (std::uint16_t id : ids) bytes += EncodePubAck(id);
  return Send(bytes, error);
}

bool TMqttSubscriber::KeepAlive(bool reading, std::string& error) {
  if (!FStream.IsOpen()) return false;
  const auto now = TClock::now();
  const auto interval = std::chrono::seconds(FOptions.KeepAliveSeconds);
  if (!reading) {
    // The answers wait unread in the socket; the pings keep the broker from ending the session.
    FPingOutstanding = false;
    if (now - FLastSent >= interval / 2 && !Send(EncodePingReq(), error)) return false;
    return true;
  }
  if (FPingOutstanding && now - FPingSent > interval)
    return Lost("the broker did not answer a ping", error);
  if (!FPingOutstanding && now - FLastSent >= interval / 2) {
    if (!Send(EncodePingReq(), error)) return false;
    FPingSent = now;
    FPingOutstanding = true;
  }
  return true;
}

void TMqttSubscriber::Disconnect() {
  if (FStream.IsOpen()) FStream.WriteAll(EncodeDisconnect(), 1000);
  FStream.Close();
  FInput.clear();
  FPackets.clear();
  FReceived.clear();
}

}  // namespace pzam::central
