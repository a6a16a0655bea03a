// The station's publisher: a thread of its own that sends the journal's outbox to the broker in
// order (MQTT QoS 1) and marks each entry published when the broker's PUBACK arrives. The journal's
// writer wakes it with Notify(), which never blocks; a broker that is away is tried again with a
// growing pause, and what was not acknowledged is sent again (receivers take a value once).
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace pzam::plant {

// What the settings' [Plant] section gives. An empty BrokerUrl means: not configured.
struct TPublisherOptions {
  std::string Station;
  std::string BrokerUrl;     // mqtt://host:port or mqtts://host:port
  std::string User;          // may be empty (no login)
  std::string PasswordFile;  // mode 0600; empty for no password
  std::string CAFile;        // the CA that signed the broker's certificate (mqtts)
};

enum class TPlantLinkState { NotConfigured, Disconnected, Connected };

// For the window's indicator; Problem says why the link is not configured or not connected.
struct TPublisherStatus {
  TPlantLinkState State = TPlantLinkState::NotConfigured;
  std::int64_t Waiting = 0;  // values in the journal not yet acknowledged by the broker
  std::string Problem;
};

class TPublisherWorker;

class TPublisher {
 public:
  // Checks the options and, when they are usable, starts the thread on the journal at
  // journalPath. Options that cannot be used leave it NotConfigured with the reason in Status().
  TPublisher(const TPublisherOptions& options, const std::string& journalPath);
  // Publishes "offline" and disconnects (each waited for at most about a second), then ends the
  // thread.
  ~TPublisher();
  TPublisher(const TPublisher&) = delete;
  TPublisher& operator=(const TPublisher&) = delete;

  // New entries are in the journal. Never blocks.
  void Notify();
  TPublisherStatus Status() const;
  // Waits until the broker has acknowledged every entry of the journal, at most `timeout`; true
  // when nothing waits any more. For a tool that ends after its run.
  bool Drain(std::chrono::milliseconds timeout);

 private:
  std::string FProblem;  // why it is not configured
  std::string FJournalPath;
  std::unique_ptr<TPublisherWorker> FWorker;
};

}  // namespace pzam::plant
