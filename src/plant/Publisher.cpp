#include "plant/Publisher.h"

#include <thread>

#include "plant/BrokerUrl.h"
#include "plant/Journal.h"
#include "plant/PlantMessages.h"
#include "plant/PrivateFile.h"
#include "plant/PublisherWorker.h"

namespace pzam::plant {

TPublisher::TPublisher(const TPublisherOptions& options, const std::string& journalPath)
    : FJournalPath(journalPath) {
  if (options.BrokerUrl.empty()) {
    FProblem = "no broker set";
    return;
  }
  TMqttSenderOptions mqtt;
  if (!ParseBrokerUrl(options.BrokerUrl, mqtt.Url, FProblem)) return;
  if (!IsStationName(options.Station)) {
    FProblem = "station name '" + options.Station + "' cannot be a topic level";
    return;
  }
  if (!options.PasswordFile.empty() &&
      !ReadSecretFile(options.PasswordFile, mqtt.Password, FProblem))
    return;
  mqtt.ClientId = "pzam-station-" + options.Station;
  mqtt.User = options.User;
  mqtt.CAFile = options.CAFile;
  mqtt.WillTopic = StatusTopic(options.Station);
  mqtt.WillPayload = "offline";
  FWorker = std::make_unique<TPublisherWorker>(options, mqtt, journalPath);
}

TPublisher::~TPublisher() = default;

void TPublisher::Notify() {
  if (FWorker) FWorker->Notify();
}

bool TPublisher::Drain(std::chrono::milliseconds timeout) {
  if (!FWorker) return false;
  TJournal journal;
  if (!journal.Open(FJournalPath, TJournalSync::Normal).empty()) return false;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    std::int64_t pending = 0;
    if (!journal.PendingEntries(pending).empty()) return false;
    if (pending == 0) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

TPublisherStatus TPublisher::Status() const {
  if (!FWorker) return {TPlantLinkState::NotConfigured, 0, FProblem};
  return FWorker->Status();
}

}  // namespace pzam::plant
