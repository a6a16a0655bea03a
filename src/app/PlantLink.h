// The main window's link to the plant: the station journal's writer listening to the run, the
// publisher that sends the journal to the broker, and the small indicator of the link's state in
// Panel1 (not configured, connected, or the count of values waiting).
#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "config/PlantSettings.h"

class QLabel;
class QTimer;
class QWidget;

namespace pzam {

namespace measurement {
class IRunEvents;
}
namespace plant {
class TJournalWriter;
class TPublisher;
}  // namespace plant

class TPlantLink {
 public:
  // The indicator goes into `panel`; lines for the operator go to `report`.
  TPlantLink(QWidget* panel, std::string settingsPath,
             std::function<void(const std::string&)> report);
  ~TPlantLink();

  measurement::IRunEvents& Journal();
  // Takes the [Plant] settings: the journal from the next run on, the publisher at once.
  void Apply(const TPlantSettings& settings);
  const TPlantSettings& Settings() const { return FSettings; }
  std::string Station() const { return StationName(FSettings); }
  const std::string& JournalPath() const { return FJournalPath; }
  // The language texts of the indicator.
  void SetTextSource(std::function<std::string(int)> text) { FText = std::move(text); }
  // The indicator's text as it is shown now.
  QLabel* Indicator() const { return FIndicator; }
  void ShowState();

 private:
  std::string FSettingsPath;
  TPlantSettings FSettings;
  std::string FJournalPath;
  std::unique_ptr<plant::TJournalWriter> FWriter;
  std::unique_ptr<plant::TPublisher> FPublisher;
  QLabel* FIndicator;
  QTimer* FTimer;
  std::function<std::string(int)> FText;
};

}  // namespace pzam
