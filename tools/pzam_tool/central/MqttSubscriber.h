// The collector's MQTT 5 connection: a persistent session (clean start off, a session expiry), one
// QoS 1 subscription, and PUBACKs sent only when the caller says so, in the order the messages
// came. Messages not acknowledged before the connection ends are delivered again by the broker.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "MqttPackets.h"
#include "NetStream.h"
#include "plant/BrokerUrl.h"

namespace pzam::central {

struct TSubscriberOptions {
  plant::TBrokerUrl Url;
  std::string ClientId, User, Password, CAFile;
  std::string Filter;  // may be "$share/GROUP/..."
  std::uint32_t SessionExpirySeconds = 7 * 24 * 3600;
  std::uint16_t KeepAliveSeconds = 30;
  std::uint16_t ReceiveMaximum = 2000;  // messages the broker may have unacknowledged with us
};

class TMqttSubscriber {
 public:
  explicit TMqttSubscriber(const TSubscriberOptions& options) : FOptions(options) {}

  // Connects, takes up the session and subscribes, within timeoutMs. Messages that arrive before
  // the subscription is confirmed are kept for the first Poll.
  bool Connect(int timeoutMs, std::string& error);
  bool Connected() const { return FStream.IsOpen(); }
  int Fd() const { return FStream.Fd(); }
  bool HasBuffered() const { return !FReceived.empty() || FStream.HasBuffered(); }

  // Reads what has arrived and appends the messages to `out`. False (and closed) when the
  // connection was lost or the broker sent something broken.
  bool Poll(std::vector<TPublishPacket>& out, std::string& error);
  // Acknowledges QoS 1 messages by packet id, in the given order, in one write.
  bool Ack(const std::vector<std::uint16_t>& ids, std::string& error);
  // Sends a ping when one is due; false when the broker did not answer the last one in time.
  // While the caller does not read (`reading` false), answers are not waited for.
  bool KeepAlive(bool reading, std::string& error);
  // A clean end of the connection (the session stays with the broker).
  void Disconnect();

 private:
  bool ReadPackets(std::string& error);
  bool Send(const std::string& bytes, std::string& error);
  bool Lost(const std::string& why, std::string& error);

  TSubscriberOptions FOptions;
  TNetStream FStream;
  std::string FInput;
  std::vector<TRawPacket> FPackets;  // read, not yet handled
  std::vector<TPublishPacket> FReceived;
  std::chrono::steady_clock::time_point FLastSent, FPingSent;
  bool FPingOutstanding = false;
  bool FClosed = false;  // the last read met the end of the stream
};

}  // namespace pzam::central
