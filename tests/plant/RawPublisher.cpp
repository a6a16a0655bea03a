#include "RawPublisher.h"

#include "plant/BrokerUrl.h"

namespace pzam::test {

namespace {

plant::TMqttSenderOptions Options(const std::string& url, const std::string& clientId,
                                  const std::string& user, const std::string& password,
                                  const std::string& caFile) {
  plant::TMqttSenderOptions o;
  std::string error;
  plant::ParseBrokerUrl(url, o.Url, error);
  o.ClientId = clientId;
  o.User = user;
  o.Password = password;
  o.CAFile = caFile;
  return o;
}

}  // namespace

TRawPublisher::TRawPublisher(const std::string& url, const std::string& clientId,
                             const std::string& user, const std::string& password,
                             const std::string& caFile)
    : FSender(Options(url, clientId, user, password, caFile), *this) {
  std::string error;
  if (!FSender.Connect(error)) OnConnectFailed(error);
}

bool TRawPublisher::Connected() {
  std::unique_lock lock(FMutex);
  FChanged.wait_for(lock, std::chrono::seconds(10), [this] { return FConnected || FFailed; });
  return FConnected;
}

bool TRawPublisher::Publish(const std::string& topic, const std::string& payload, bool retained) {
  const int token = FSender.Send(topic, payload, retained);
  if (token < 0) return false;
  std::unique_lock lock(FMutex);
  return FChanged.wait_for(lock, std::chrono::seconds(10),
                           [&] { return FAcked.count(token) != 0; });
}

void TRawPublisher::OnConnected() {
  std::lock_guard lock(FMutex);
  FConnected = true;
  FChanged.notify_all();
}

void TRawPublisher::OnConnectFailed(const std::string& reason) {
  std::lock_guard lock(FMutex);
  FFailed = true;
  FFailure = reason;
  FChanged.notify_all();
}

void TRawPublisher::OnSent(int token) {
  std::lock_guard lock(FMutex);
  FAcked.insert(token);
  FChanged.notify_all();
}

}  // namespace pzam::test
