#include "plant/Publisher.h"

#include "plant/BrokerUrl.h"
#include "plant/PlantMessages.h"
#include "plant/PrivateFile.h"
#include "plant/PublisherWorker.h"

namespace pzam::plant {

TPublisher::TPublisher(const TPublisherOptions& options, const std::string& journalPath) {
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

TPublisherStatus TPublisher::Status() const {
  if (!FWorker) return {TPlantLinkState::NotConfigured, 0, FProblem};
  return FWorker->Status();
}

}  // namespace pzam::plant
