// Publishes chosen bytes on chosen topics (QoS 1, waiting for each PUBACK), for tests that feed
// the collector what no station would send.
#pragma once

#include <condition_variable>
#include <mutex>
#include <set>
#include <string>

#include "plant/MqttSender.h"

namespace pzam::test {

class TRawPublisher : public plant::IMqttSenderEvents {
 public:
  TRawPublisher(const std::string& url, const std::string& clientId, const std::string& user = "",
                const std::string& password = "", const std::string& caFile = "");
  bool Connected();  // waits up to 10 s for the connection
  const std::string& Failure() const { return FFailure; }
  // True when the broker acknowledged it.
  bool Publish(const std::string& topic, const std::string& payload, bool retained = false);

  void OnConnected() override;
  void OnConnectFailed(const std::string& reason) override;
  void OnConnectionLost() override {}
  void OnSent(int token) override;
  void OnSendFailed(int) override {}

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  bool FConnected = false, FFailed = false;
  std::string FFailure;
  std::set<int> FAcked;
  plant::TMqttSender FSender;
};

}  // namespace pzam::test
