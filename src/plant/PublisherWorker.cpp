#include "plant/PublisherWorker.h"

#include <algorithm>
#include <random>

#include "plant/PlantMessages.h"

namespace pzam::plant {

namespace {

using namespace std::chrono_literals;

constexpr int kWindow = 64;  // messages in flight at most, refilled when half are acknowledged
constexpr auto kMarkWithin = 20ms;  // acknowledged entries are marked in the journal by then
constexpr auto kFirstPause = 500ms, kLongestPause = 5000ms;
constexpr auto kCountEvery = 250ms;  // refresh of the waiting count

}  // namespace

TPublisherWorker::TPublisherWorker(const TPublisherOptions& options, const TMqttSenderOptions& mqtt,
                                   const std::string& journalPath)
    : FOptions(options), FJournalPath(journalPath), FSender(mqtt, *this) {
  FThread = std::thread([this] { Run(); });
}

TPublisherWorker::~TPublisherWorker() {
  {
    std::lock_guard lock(FMutex);
    FStop = true;
  }
  FWake.notify_one();
  FThread.join();
  FSender.Destroy();  // its last callbacks still find the queue and its mutex
}

void TPublisherWorker::Notify() {
  {
    std::lock_guard lock(FMutex);  // held only to set the flag, never across I/O
    FNotified = true;
  }
  FWake.notify_one();
}

TPublisherStatus TPublisherWorker::Status() const {
  TPublisherStatus s;
  s.State = FState.load();
  s.Waiting = FWaiting.load();
  std::lock_guard lock(FMutex);
  s.Problem = FProblem;
  return s;
}

void TPublisherWorker::Push(TEvent event) {
  {
    std::lock_guard lock(FMutex);
    FEvents.push_back(std::move(event));
  }
  FWake.notify_one();
}

void TPublisherWorker::OnConnected() {
  Push({TEventKind::Connected, 0, {}});
}
void TPublisherWorker::OnConnectFailed(const std::string& reason) {
  Push({TEventKind::ConnectFailed, 0, reason});
}
void TPublisherWorker::OnConnectionLost() {
  Push({TEventKind::Lost, 0, "connection to the broker lost"});
}
void TPublisherWorker::OnSent(int token) {
  Push({TEventKind::Sent, token, {}});
}
void TPublisherWorker::OnSendFailed(int token) {
  Push({TEventKind::SendFailed, token, {}});
}

void TPublisherWorker::SetProblem(const std::string& problem) {
  std::lock_guard lock(FMutex);
  FProblem = problem;
}

void TPublisherWorker::Disconnected(const std::string& reason) {
  FConnecting = FConnected = false;
  FState = TPlantLinkState::Disconnected;
  FInFlight.clear();
  FLastSent = 0;  // everything not acknowledged goes out again on the next connection
  SetProblem(reason);
  static thread_local std::minstd_rand jitter(std::random_device{}());
  FBackoff = std::clamp(FBackoff * 2, std::chrono::milliseconds(kFirstPause), kLongestPause);
  FNextAttempt = TClock::now() + FBackoff + std::chrono::milliseconds(jitter() % 250);
}

void TPublisherWorker::Handle(const TEvent& e) {
  switch (e.Kind) {
    case TEventKind::Connected:
      FConnecting = false;
      FConnected = true;
      FBackoff = 0ms;
      FState = TPlantLinkState::Connected;
      SetProblem("");
      FSender.Send(StatusTopic(FOptions.Station), "online", true);
      break;
    case TEventKind::ConnectFailed:
    case TEventKind::Lost:
      Disconnected(e.Reason);
      break;
    case TEventKind::Sent:
      if (const auto it = FInFlight.find(e.Token); it != FInFlight.end()) {
        if (FAcked.empty()) FFirstAck = TClock::now();
        FAcked.push_back(it->second);
        FAckedSet.insert(it->second);
        FInFlight.erase(it);
      }
      break;
    case TEventKind::SendFailed:
      // Not acknowledged: send it and everything after it again.
      if (const auto it = FInFlight.find(e.Token); it != FInFlight.end()) {
        FLastSent = std::min(FLastSent, it->second - 1);
        FInFlight.erase(it);
      }
      break;
  }
}

void TPublisherWorker::Flush(bool now) {
  if (FAcked.empty()) return;
  // One transaction for many marks; at once when nothing else is in flight.
  if (!now && !FInFlight.empty() && static_cast<int>(FAcked.size()) < kWindow / 2 &&
      TClock::now() < FFirstAck + kMarkWithin)
    return;
  if (const std::string e = FJournal.MarkPublished(FAcked); !e.empty()) {
    SetProblem(e);
    return;  // kept; tried again on the next round
  }
  FAcked.clear();
  FAckedSet.clear();
  FNextCount = TClock::now();
}

void TPublisherWorker::FillWindow() {
  if (static_cast<int>(FInFlight.size()) > kWindow / 2) return;
  while (FConnected && static_cast<int>(FInFlight.size()) < kWindow) {
    std::vector<TOutboxEntry> entries;
    if (const std::string e =
            FJournal.Unpublished(FLastSent, kWindow - static_cast<int>(FInFlight.size()), entries);
        !e.empty()) {
      SetProblem(e);
      return;
    }
    if (entries.empty()) return;
    for (const TOutboxEntry& entry : entries) {
      // An entry acknowledged but not yet marked is not sent again.
      if (FAckedSet.count(entry.Id) != 0) {
        FLastSent = entry.Id;
        continue;
      }
      const TMessage m = MessageOf(entry);
      const int token = FSender.Send(m.Topic, m.Payload, false);
      if (token < 0) return;  // not taken now; the loss of the connection follows
      FInFlight[token] = entry.Id;
      FLastSent = entry.Id;
    }
  }
}

void TPublisherWorker::Run() {
  for (std::string e = FJournal.Open(FJournalPath, TJournalSync::Normal); !e.empty();
       e = FJournal.Open(FJournalPath, TJournalSync::Normal)) {
    SetProblem(e);
    std::unique_lock lock(FMutex);
    if (FWake.wait_for(lock, 2s, [this] { return FStop; })) return;
  }
  for (;;) {
    std::vector<TEvent> events;
    {
      std::unique_lock lock(FMutex);
      auto until = std::min(FNextCount, TClock::now() + 1s);
      if (!FAcked.empty()) until = std::min(until, FFirstAck + kMarkWithin);
      if (!FConnected && !FConnecting) until = std::min(until, FNextAttempt);
      FWake.wait_until(lock, until, [this] { return FStop || FNotified || !FEvents.empty(); });
      if (FStop) break;
      FNotified = false;
      events.swap(FEvents);
    }
    for (const TEvent& e : events) Handle(e);
    Flush(!FConnected);
    if (!FConnected && !FConnecting && TClock::now() >= FNextAttempt) {
      std::string error;
      FConnecting = FSender.Connect(error);
      if (!FConnecting) Disconnected(error);
    }
    FillWindow();
    if (TClock::now() >= FNextCount) {
      std::int64_t waiting = 0;
      if (FJournal.WaitingValues(waiting).empty()) FWaiting = waiting;
      FNextCount = TClock::now() + kCountEvery;
    }
  }
  // A clean end: what was acknowledged is marked, the station says it is offline.
  if (FConnected) {
    const int token = FSender.Send(StatusTopic(FOptions.Station), "offline", true);
    if (token >= 0) FSender.WaitFor(token, 1000);
    std::vector<TEvent> events;
    {
      std::lock_guard lock(FMutex);
      events.swap(FEvents);
    }
    for (const TEvent& e : events) Handle(e);
    Flush(true);
    FSender.Disconnect(1000);
  }
}

}  // namespace pzam::plant
