// The publisher's thread: the journal's outbox through a TMqttSender, with the window of messages
// in flight, the marks of acknowledged entries and the pauses between connection attempts.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "plant/Journal.h"
#include "plant/MqttSender.h"
#include "plant/Publisher.h"

namespace pzam::plant {

class TPublisherWorker : public IMqttSenderEvents {
 public:
  TPublisherWorker(const TPublisherOptions& options, const TMqttSenderOptions& mqtt,
                   const std::string& journalPath);
  ~TPublisherWorker() override;

  void Notify();
  TPublisherStatus Status() const;

  // IMqttSenderEvents: queued for the thread.
  void OnConnected() override;
  void OnConnectFailed(const std::string& reason) override;
  void OnConnectionLost() override;
  void OnSent(int token) override;
  void OnSendFailed(int token) override;

 private:
  enum class TEventKind { Connected, ConnectFailed, Lost, Sent, SendFailed };
  struct TEvent {
    TEventKind Kind;
    int Token = 0;
    std::string Reason;
  };
  using TClock = std::chrono::steady_clock;

  void Push(TEvent event);
  void Run();
  void Handle(const TEvent& e);
  void Disconnected(const std::string& reason);
  void FillWindow();
  void Flush(bool now);
  void SetProblem(const std::string& problem);

  const TPublisherOptions FOptions;
  const std::string FJournalPath;
  TMqttSender FSender;
  TJournal FJournal;

  // Shared with the library's threads and the caller.
  mutable std::mutex FMutex;
  std::condition_variable FWake;
  bool FNotified = false, FStop = false;
  std::vector<TEvent> FEvents;
  std::string FProblem;
  std::atomic<TPlantLinkState> FState{TPlantLinkState::Disconnected};
  std::atomic<std::int64_t> FWaiting{0};

  // The thread's own.
  bool FConnecting = false, FConnected = false;
  std::map<int, std::int64_t> FInFlight;  // token -> outbox id
  std::int64_t FLastSent = 0;             // highest id sent on this connection
  std::vector<std::int64_t> FAcked;       // acknowledged, not yet marked
  std::set<std::int64_t> FAckedSet;
  TClock::time_point FFirstAck{};
  std::chrono::milliseconds FBackoff{0};
  TClock::time_point FNextAttempt{}, FNextCount{};

  std::thread FThread;
};

}  // namespace pzam::plant
