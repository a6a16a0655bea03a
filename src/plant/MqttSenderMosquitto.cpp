// TMqttSender on libmosquitto, with a network thread of its own: the client's loop runs there
// while a connection is wanted, so connection attempts and their pauses stay the publisher's, as
// with Paho (libmosquitto's own loop thread would reconnect by itself). libmosquitto built with
// its threads takes messages from another thread while the loop runs.
#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "plant/MqttSender.h"

namespace pzam::plant {

namespace {

enum class TLinkState { Idle, Connecting, Connected, Disconnecting };

constexpr int kLoopMs = 50;              // longest wait of one loop round
constexpr std::size_t kAckMemory = 256;  // acknowledged tokens kept for WaitFor

}  // namespace

struct TMqttSender::TClient {
  mosquitto* Handle = nullptr;
  std::thread Loop;
  std::mutex Mutex;
  std::condition_variable Changed;
  TLinkState State = TLinkState::Idle;
  bool Stop = false;
  std::deque<int> Acked;  // the latest acknowledged tokens, oldest first

  static TMqttSender& Sender(void* obj) { return *static_cast<TMqttSender*>(obj); }

  // The connection ended or never came about: reported once, as the failed attempt or the lost
  // connection; a disconnect the sender asked for is not reported.
  static void Ended(TMqttSender& s, const std::string& reason) {
    TLinkState was;
    {
      std::lock_guard lock(s.FClient->Mutex);
      was = s.FClient->State;
      s.FClient->State = TLinkState::Idle;
    }
    s.FClient->Changed.notify_all();
    if (was == TLinkState::Connecting)
      s.FEvents.OnConnectFailed("cannot connect to the broker (" + reason + ")");
    else if (was == TLinkState::Connected)
      s.FEvents.OnConnectionLost();
  }

  static void OnConnect(mosquitto*, void* obj, int rc) {
    TMqttSender& s = Sender(obj);
    if (rc != 0) {
      Ended(s, mosquitto_connack_string(rc));
      return;
    }
    {
      std::lock_guard lock(s.FClient->Mutex);
      if (s.FClient->State != TLinkState::Connecting) return;
      s.FClient->State = TLinkState::Connected;
    }
    s.FEvents.OnConnected();
  }

  static void OnDisconnect(mosquitto*, void* obj, int rc) {
    Ended(Sender(obj), mosquitto_strerror(rc));
  }

  static void OnPublish(mosquitto*, void* obj, int mid) {
    TMqttSender& s = Sender(obj);
    {
      std::lock_guard lock(s.FClient->Mutex);
      s.FClient->Acked.push_back(mid);
      if (s.FClient->Acked.size() > kAckMemory) s.FClient->Acked.pop_front();
    }
    s.FClient->Changed.notify_all();
    s.FEvents.OnSent(mid);
  }

  // The network thread: runs the client's loop while a connection is wanted or open.
  void Run(TMqttSender& s) {
    for (;;) {
      {
        std::unique_lock lock(Mutex);
        Changed.wait(lock, [this] { return Stop || State != TLinkState::Idle; });
        if (Stop) return;
      }
      const int rc = mosquitto_loop(Handle, kLoopMs, 1);
      if (rc != MOSQ_ERR_SUCCESS) Ended(s, mosquitto_strerror(rc));
    }
  }
};

TMqttSender::TMqttSender(const TMqttSenderOptions& options, IMqttSenderEvents& events)
    : FOptions(options), FEvents(events), FClient(std::make_unique<TClient>()) {
  static std::once_flag initialised;
  std::call_once(initialised, [] { mosquitto_lib_init(); });
  mosquitto* m = mosquitto_new(options.ClientId.c_str(), true, this);
  if (m == nullptr) return;
  // Another thread runs the loop: what is sent is queued for it, never written by the caller.
  mosquitto_threaded_set(m, true);
  mosquitto_int_option(m, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
  mosquitto_max_inflight_messages_set(m, 1024);
  mosquitto_connect_callback_set(m, &TClient::OnConnect);
  mosquitto_disconnect_callback_set(m, &TClient::OnDisconnect);
  mosquitto_publish_callback_set(m, &TClient::OnPublish);
  if (!options.WillTopic.empty())
    mosquitto_will_set(m, options.WillTopic.c_str(), static_cast<int>(options.WillPayload.size()),
                       options.WillPayload.data(), 1, true);
  if (!options.User.empty())
    mosquitto_username_pw_set(m, options.User.c_str(),
                              options.Password.empty() ? nullptr : options.Password.c_str());
  FClient->Handle = m;
  FClient->Loop = std::thread([this] { FClient->Run(*this); });
}

TMqttSender::~TMqttSender() {
  Destroy();
}

void TMqttSender::Destroy() {
  if (FClient->Handle == nullptr) return;
  {
    std::lock_guard lock(FClient->Mutex);
    FClient->Stop = true;
  }
  FClient->Changed.notify_all();
  FClient->Loop.join();  // no callback after this
  mosquitto_destroy(FClient->Handle);
  FClient->Handle = nullptr;
}

bool TMqttSender::Connect(std::string& error) {
  if (FClient->Handle == nullptr) {
    error = "cannot create the MQTT client";
    return false;
  }
  int rc = MOSQ_ERR_SUCCESS;
  if (FOptions.Url.Tls) {
    // The broker's certificate must chain to the CA file (or to the system's CAs when none is
    // set) and name the host; TLS 1.2 at least.
    if (FOptions.CAFile.empty())
      rc = mosquitto_int_option(FClient->Handle, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
    else
      rc = mosquitto_tls_set(FClient->Handle, FOptions.CAFile.c_str(), nullptr, nullptr, nullptr,
                             nullptr);
    if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_opts_set(FClient->Handle, 1, "tlsv1.2", nullptr);
    if (rc == MOSQ_ERR_SUCCESS) rc = mosquitto_tls_insecure_set(FClient->Handle, false);
  }
  // The network thread is idle until the attempt has begun: its loop never sees a half-made one.
  if (rc == MOSQ_ERR_SUCCESS)
    rc = mosquitto_connect_async(FClient->Handle, FOptions.Url.Host.c_str(), FOptions.Url.Port,
                                 FOptions.KeepAliveSeconds);
  if (rc != MOSQ_ERR_SUCCESS) {
    error = std::string("cannot start connecting: ") + mosquitto_strerror(rc);
    return false;
  }
  {
    std::lock_guard lock(FClient->Mutex);
    FClient->State = TLinkState::Connecting;
  }
  FClient->Changed.notify_all();
  return true;
}

int TMqttSender::Send(const std::string& topic, const std::string& payload, bool retained) {
  if (FClient->Handle == nullptr) return -1;
  {
    // Not queued while disconnected (Paho's sendWhileDisconnected = 0).
    std::lock_guard lock(FClient->Mutex);
    if (FClient->State != TLinkState::Connected) return -1;
  }
  int mid = -1;
  const int rc = mosquitto_publish(FClient->Handle, &mid, topic.c_str(),
                                   static_cast<int>(payload.size()), payload.data(), 1, retained);
  return rc == MOSQ_ERR_SUCCESS ? mid : -1;
}

bool TMqttSender::WaitFor(int token, int timeoutMs) {
  if (FClient->Handle == nullptr) return false;
  std::unique_lock lock(FClient->Mutex);
  return FClient->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    return std::find(FClient->Acked.begin(), FClient->Acked.end(), token) != FClient->Acked.end() ||
           FClient->State == TLinkState::Idle;
  }) && std::find(FClient->Acked.begin(), FClient->Acked.end(), token) != FClient->Acked.end();
}

void TMqttSender::Disconnect(int timeoutMs) {
  if (FClient->Handle == nullptr) return;
  {
    std::lock_guard lock(FClient->Mutex);
    if (FClient->State != TLinkState::Connected) return;
    FClient->State = TLinkState::Disconnecting;
  }
  const bool sent = mosquitto_disconnect(FClient->Handle) == MOSQ_ERR_SUCCESS;
  std::unique_lock lock(FClient->Mutex);
  if (!sent) {
    FClient->State = TLinkState::Idle;
    return;
  }
  FClient->Changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                            [this] { return FClient->State == TLinkState::Idle; });
}

}  // namespace pzam::plant
