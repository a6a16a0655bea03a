#include "Collector.h"

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <iostream>

#include "CentralStore.h"
#include "common/SignalPipe.h"

namespace pzam::central {

namespace {

using TClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// At most this many messages in one transaction; with this many received and not yet committed
// the socket is not read, so the broker waits (a broker may send more than the Receive Maximum
// asks for when its own in-flight limit is off).
constexpr std::size_t kMaxBatch = 2000;
constexpr std::size_t kMaxPending = 2 * kMaxBatch;

// A topic as one printable line, shortened.
std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text.substr(0, 200)) out += c < 0x20 || c == 0x7F ? '?' : char(c);
  return out;
}

void Refused(const TPublishPacket& m, const std::string& why) {
  std::cerr << "pzam-tool collect: refused message on '" << Printable(m.Topic) << "': " << why
            << '\n'
            << std::flush;
}

class TCollector {
 public:
  explicit TCollector(const TCollectorOptions& o) : FOptions(o), FMqtt(o.Mqtt) {}
  int Run();

 private:
  void Connect();
  void Commit();
  void WriteOneByOne(std::size_t count);
  void Acknowledge(std::size_t count);  // the first `count` pending messages
  void StoreFailed(const std::string& error);
  void Ack();

  const TCollectorOptions& FOptions;
  TMqttSubscriber FMqtt;
  TCentralStore FStore;
  std::vector<TPublishPacket> FPending;  // received, not yet committed
  std::vector<plant::TPlantMessage> FParsed;
  std::vector<std::uint16_t> FToAck;
  TClock::time_point FNextMqtt{}, FNextStore{};
  std::chrono::milliseconds FMqttPause{0}, FStorePause{0};
  std::string FLastMqttError, FLastStoreError;
  long FWritten = 0;  // messages committed by this process
};

std::chrono::milliseconds Longer(std::chrono::milliseconds pause) {
  return std::clamp(pause * 2, std::chrono::milliseconds(250), std::chrono::milliseconds(5000));
}

void TCollector::Connect() {
  const auto now = TClock::now();
  std::string error;
  if (!FStore.IsOpen() && now >= FNextStore) {
    if (FStore.Open(FOptions.Conninfo, error)) {
      FStorePause = 0ms;
      if (!FLastStoreError.empty()) std::cerr << "pzam-tool collect: database connected\n";
      FLastStoreError.clear();
    } else {
      if (error != FLastStoreError) std::cerr << "pzam-tool collect: " << error << '\n';
      FLastStoreError = error;
      FStorePause = Longer(FStorePause);
      FNextStore = now + FStorePause;
    }
  }
  if (!FMqtt.Connected() && now >= FNextMqtt) {
    FPending.clear();  // their packet ids died with the old connection
    if (FMqtt.Connect(10000, error)) {
      FMqttPause = 0ms;
      std::cerr << "pzam-tool collect: subscribed to '" << FOptions.Mqtt.Filter << "'\n";
      FLastMqttError.clear();
    } else {
      if (error != FLastMqttError) std::cerr << "pzam-tool collect: " << error << '\n';
      FLastMqttError = error;
      FMqttPause = Longer(FMqttPause);
      FNextMqtt = now + FMqttPause;
    }
  }
}

void TCollector::Ack() {
  std::string error;
  if (!FMqtt.Ack(FToAck, error)) std::cerr << "pzam-tool collect: " << error << '\n';
  FToAck.clear();
}

// The batch failed for a row of it: each message alone, so only the faulty one is refused.
void TCollector::WriteOneByOne(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    TPublishPacket& m = FPending[i];
    plant::TPlantMessage parsed;
    std::string error;
    if (m.Refused || !plant::ParseMessage(m.Topic, m.Payload, parsed, error)) continue;
    const TWriteResult r = FStore.Write({parsed}, error);
    if (r == TWriteResult::Ok) ++FWritten;
    if (r == TWriteResult::DataRefused) {
      Refused(m, "database refused it: " + error);
      m.Refused = true;
    }
    if (r == TWriteResult::NotConnected || r == TWriteResult::TryAgain) {
      StoreFailed(error);
      return;
    }
  }
  Acknowledge(count);
}

void TCollector::Acknowledge(std::size_t count) {
  for (std::size_t i = 0; i < count; ++i)
    if (FPending[i].Qos > 0) FToAck.push_back(FPending[i].PacketId);
  FPending.erase(FPending.begin(), FPending.begin() + static_cast<std::ptrdiff_t>(count));
  Ack();
}

void TCollector::Commit() {
  if (FPending.empty() || !FStore.IsOpen()) return;
  const std::size_t count = std::min(FPending.size(), kMaxBatch);
  FParsed.clear();
  for (std::size_t i = 0; i < count; ++i) {
    TPublishPacket& m = FPending[i];
    plant::TPlantMessage parsed;
    std::string error;
    if (m.Refused) continue;  // reported, and written nowhere, on an earlier try
    if (plant::ParseMessage(m.Topic, m.Payload, parsed, error)) {
      FParsed.push_back(std::move(parsed));
    } else {
      Refused(m, error);
      m.Refused = true;  // reported once, however often the batch is tried
    }
  }
  std::string error;
  const TWriteResult r = FStore.Write(FParsed, error);
  if (r == TWriteResult::Ok) {
    FWritten += static_cast<long>(FParsed.size());
    Acknowledge(count);
  } else if (r == TWriteResult::DataRefused) {
    WriteOneByOne(count);
  } else {
    StoreFailed(error);
  }
}

// The database is away or failing for now: the batch waits, a new connection is tried later.
void TCollector::StoreFailed(const std::string& error) {
  if (error != FLastStoreError) std::cerr << "pzam-tool collect: " << error << '\n';
  FLastStoreError = error;
  FStore.Close();
  FStorePause = Longer(FStorePause);
  FNextStore = TClock::now() + FStorePause;
}

int TCollector::Run() {
  TSignalPipe signals;
  if (!signals.Valid()) {
    std::cerr << "pzam-tool collect: cannot take the signals\n";
    return 1;
  }
  for (;;) {
    Connect();
    const bool full = FPending.size() >= kMaxPending;
    pollfd fds[2] = {{signals.ReadFd(), POLLIN, 0},
                     {FMqtt.Fd(), static_cast<short>(full ? 0 : POLLIN), 0}};
    const int count = FMqtt.Connected() ? 2 : 1;
    // Wait briefly while a batch waits for the database; otherwise until something arrives.
    const int timeout =
        FMqtt.HasBuffered() && !full ? 0 : (!FPending.empty() ? (FStore.IsOpen() ? 0 : 100) : 1000);
    ::poll(fds, count, timeout);
    if (fds[0].revents != 0) break;
    std::string error;
    if (FMqtt.Connected()) {
      if (!full && !FMqtt.Poll(FPending, error)) {
        std::cerr << "pzam-tool collect: " << error << '\n';
        FPending.clear();
        continue;
      }
      // Everything that has arrived is one batch: what comes while it commits is the next one.
      Commit();
      if (FMqtt.Connected() && !FMqtt.KeepAlive(!full, error))
        std::cerr << "pzam-tool collect: " << error << '\n';
    }
  }
  FMqtt.Disconnect();  // what is not committed is not acknowledged: it comes again
  std::cerr << "pzam-tool collect: " << FWritten << " messages written\n";
  return 0;
}

}  // namespace

int RunCollector(const TCollectorOptions& options) {
  TCollector collector(options);
  return collector.Run();
}

}  // namespace pzam::central
