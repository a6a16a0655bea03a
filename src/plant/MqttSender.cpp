// TMqttSender on Paho C's MQTTAsync.
#include "plant/MqttSender.h"

#include <MQTTAsync.h>

#include <chrono>
#include <thread>

namespace pzam::plant {

namespace {

// Paho tears its global state down when the last client of the process is destroyed and sets it
// up again for the next one. Its background threads say they have stopped before they trace
// their last call, and the teardown frees the trace buffer without the lock that tracing takes:
// a thread that traces in that moment writes into freed memory or allocates a new buffer, which
// the next client's set-up then loses. One client that never connects, made before the first
// real one and kept for the process's life, keeps that state (and the two threads) up, so the
// teardown never runs while a program or a test makes and ends clients.
void KeepClientLibraryUp() {
  static const bool kept = [] {
    MQTTAsync keeper = nullptr;
    return MQTTAsync_create(&keeper, "tcp://localhost:1883", "pzam-keeper",
                            MQTTCLIENT_PERSISTENCE_NONE, nullptr) == MQTTASYNC_SUCCESS;
  }();
  (void)kept;
}

}  // namespace

struct TMqttSender::TClient {
  MQTTAsync Handle = nullptr;

  static TMqttSender& Sender(void* context) { return *static_cast<TMqttSender*>(context); }

  static void ConnectOk(void* context, MQTTAsync_successData*) {
    Sender(context).FEvents.OnConnected();
  }

  static void ConnectFail(void* context, MQTTAsync_failureData* data) {
    std::string reason = "cannot connect to the broker";
    if (data != nullptr) {
      reason += " (";
      reason += data->message != nullptr ? data->message : MQTTAsync_strerror(data->code);
      reason += ")";
    }
    Sender(context).FEvents.OnConnectFailed(reason);
  }

  static void Lost(void* context, char* cause) {
    if (cause != nullptr) MQTTAsync_free(cause);
    if (context != nullptr) Sender(context).FEvents.OnConnectionLost();
  }

  static int Arrived(void*, char* topic, int, MQTTAsync_message* message) {
    // The publisher subscribes to nothing; whatever comes is dropped.
    MQTTAsync_freeMessage(&message);
    MQTTAsync_free(topic);
    return 1;
  }

  static void SendOk(void* context, MQTTAsync_successData* data) {
    Sender(context).FEvents.OnSent(data != nullptr ? data->token : 0);
  }

  static void SendFail(void* context, MQTTAsync_failureData* data) {
    Sender(context).FEvents.OnSendFailed(data != nullptr ? data->token : 0);
  }
};

TMqttSender::TMqttSender(const TMqttSenderOptions& options, IMqttSenderEvents& events)
    : FOptions(options), FEvents(events), FClient(std::make_unique<TClient>()) {
  KeepClientLibraryUp();
  MQTTAsync_createOptions create = MQTTAsync_createOptions_initializer;
  create.sendWhileDisconnected = 0;
  create.MQTTVersion = MQTTVERSION_3_1_1;
  MQTTAsync client = nullptr;
  if (MQTTAsync_createWithOptions(&client, ClientLibraryUri(options.Url).c_str(),
                                  options.ClientId.c_str(), MQTTCLIENT_PERSISTENCE_NONE, nullptr,
                                  &create) != MQTTASYNC_SUCCESS)
    return;
  FClient->Handle = client;
  MQTTAsync_setCallbacks(client, this, &TClient::Lost, &TClient::Arrived, nullptr);
}

TMqttSender::~TMqttSender() {
  Destroy();
}

void TMqttSender::Destroy() {
  if (FClient->Handle == nullptr) return;
  MQTTAsync client = FClient->Handle;
  MQTTAsync_setCallbacks(client, nullptr, nullptr, &TClient::Arrived, nullptr);
  MQTTAsync_destroy(&client);
  FClient->Handle = nullptr;
}

bool TMqttSender::Connect(std::string& error) {
  if (FClient->Handle == nullptr) {
    error = "cannot create the MQTT client";
    return false;
  }
  MQTTAsync_connectOptions o = MQTTAsync_connectOptions_initializer;
  o.keepAliveInterval = FOptions.KeepAliveSeconds;
  o.cleansession = 1;
  o.connectTimeout = 10;
  o.maxInflight = 1024;
  o.MQTTVersion = MQTTVERSION_3_1_1;
  o.onSuccess = &TClient::ConnectOk;
  o.onFailure = &TClient::ConnectFail;
  o.context = this;
  MQTTAsync_willOptions will = MQTTAsync_willOptions_initializer;
  will.topicName = FOptions.WillTopic.c_str();
  will.message = FOptions.WillPayload.c_str();
  will.retained = 1;
  will.qos = 1;
  if (!FOptions.WillTopic.empty()) o.will = &will;
  if (!FOptions.User.empty()) o.username = FOptions.User.c_str();
  if (!FOptions.Password.empty()) o.password = FOptions.Password.c_str();
  MQTTAsync_SSLOptions ssl = MQTTAsync_SSLOptions_initializer;
  if (FOptions.Url.Tls) {
    ssl.trustStore = FOptions.CAFile.empty() ? nullptr : FOptions.CAFile.c_str();
    ssl.enableServerCertAuth = 1;
    ssl.verify = 1;  // the certificate must name the host
    ssl.sslVersion = MQTT_SSL_VERSION_TLS_1_2;
    o.ssl = &ssl;
  }
  const int rc = MQTTAsync_connect(FClient->Handle, &o);
  if (rc != MQTTASYNC_SUCCESS) {
    error = std::string("cannot start connecting: ") + MQTTAsync_strerror(rc);
    return false;
  }
  return true;
}

int TMqttSender::Send(const std::string& topic, const std::string& payload, bool retained) {
  if (FClient->Handle == nullptr) return -1;
  MQTTAsync_responseOptions r = MQTTAsync_responseOptions_initializer;
  r.onSuccess = &TClient::SendOk;
  r.onFailure = &TClient::SendFail;
  r.context = this;
  const int rc = MQTTAsync_send(FClient->Handle, topic.c_str(), static_cast<int>(payload.size()),
                                payload.data(), 1, retained ? 1 : 0, &r);
  return rc == MQTTASYNC_SUCCESS ? r.token : -1;
}

bool TMqttSender::WaitFor(int token, int timeoutMs) {
  return FClient->Handle != nullptr &&
         MQTTAsync_waitForCompletion(FClient->Handle, token,
                                     static_cast<unsigned long>(timeoutMs)) == MQTTASYNC_SUCCESS;
}

void TMqttSender::Disconnect(int timeoutMs) {
  if (FClient->Handle == nullptr || !MQTTAsync_isConnected(FClient->Handle)) return;
  MQTTAsync_disconnectOptions d = MQTTAsync_disconnectOptions_initializer;
  d.timeout = timeoutMs;
  if (MQTTAsync_disconnect(FClient->Handle, &d) != MQTTASYNC_SUCCESS) return;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (MQTTAsync_isConnected(FClient->Handle) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

}  // namespace pzam::plant
