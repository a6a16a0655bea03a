// The publishing side of an MQTT connection: connect with a Last Will, send QoS 1 messages,
// disconnect. Its callbacks arrive on the client library's threads and are handed to an
// IMqttSenderEvents, which must only queue them. Two client libraries stand behind it, one per
// system, each in a file of its own: Paho C's MQTTAsync (MqttSender.cpp) and libmosquitto
// (MqttSenderMosquitto.cpp, Windows: src/plant/CMakeLists.txt says why).
#pragma once

#include <memory>
#include <string>

#include "plant/BrokerUrl.h"

namespace pzam::plant {

class IMqttSenderEvents {
 public:
  virtual ~IMqttSenderEvents() = default;
  virtual void OnConnected() = 0;
  virtual void OnConnectFailed(const std::string& reason) = 0;
  virtual void OnConnectionLost() = 0;
  // The broker acknowledged (PUBACK) the message sent with this token, or it failed (Paho only:
  // libmosquitto keeps a message until it is acknowledged or the connection is lost).
  virtual void OnSent(int token) = 0;
  virtual void OnSendFailed(int token) = 0;
};

struct TMqttSenderOptions {
  TBrokerUrl Url;
  std::string ClientId;
  std::string User, Password, CAFile;
  std::string WillTopic, WillPayload;  // retained, QoS 1
  int KeepAliveSeconds = 20;
};

class TMqttSender {
 public:
  TMqttSender(const TMqttSenderOptions& options, IMqttSenderEvents& events);
  ~TMqttSender();
  // Ends the client without waiting; callbacks for what was pending may still come during it,
  // none after it. The owner calls it while its event sink is still whole.
  void Destroy();
  TMqttSender(const TMqttSender&) = delete;
  TMqttSender& operator=(const TMqttSender&) = delete;

  // Starts a connection attempt; its outcome comes as OnConnected or OnConnectFailed. False when
  // the attempt could not even be started (the reason in `error`).
  bool Connect(std::string& error);
  // Sends a QoS 1 message; the token for OnSent / OnSendFailed, or -1 when it was not taken
  // (not connected, too many in flight).
  int Send(const std::string& topic, const std::string& payload, bool retained);
  // Waits up to timeoutMs for the message of `token` to be acknowledged.
  bool WaitFor(int token, int timeoutMs);
  // A clean disconnect, waited for up to timeoutMs.
  void Disconnect(int timeoutMs);

 private:
  // The client library's handle and callbacks, defined beside the calls that use them.
  struct TClient;

  TMqttSenderOptions FOptions;
  IMqttSenderEvents& FEvents;
  std::unique_ptr<TClient> FClient;
};

}  // namespace pzam::plant
