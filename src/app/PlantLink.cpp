#include "app/PlantLink.h"

#include <QLabel>
#include <QTimer>

#include "config/TextIds.h"
#include "measurement/MeasurementRun.h"
#include "plant/JournalPath.h"
#include "plant/JournalWriter.h"
#include "plant/Publisher.h"
#include "ui/Controls.h"

namespace pzam {

namespace {
const QColor kGrey(128, 128, 128), kGreen(30, 150, 30), kAmber(200, 120, 0);
}

TPlantLink::TPlantLink(QWidget* panel, std::string settingsPath,
                       std::function<void(const std::string&)> report)
    : FSettingsPath(std::move(settingsPath)),
      FIndicator(new QLabel(panel)),
      FTimer(new QTimer(FIndicator)) {
  FJournalPath = plant::JournalPathFor(FSettingsPath);
  FWriter = std::make_unique<plant::TJournalWriter>(FJournalPath, std::move(report), [this] {
    if (FPublisher) FPublisher->Notify();
  });
  // Below the analysis button, in Panel1's free corner; none of the window's controls moves.
  FIndicator->setObjectName("La_Plant");
  FIndicator->setGeometry(572, 70, 209, 20);
  FIndicator->setAlignment(Qt::AlignCenter);
  FIndicator->setFont(ui::SansSerifFont(11));
  QObject::connect(FTimer, &QTimer::timeout, FIndicator, [this] { ShowState(); });
  FTimer->start(500);
  ShowState();
}

TPlantLink::~TPlantLink() = default;

measurement::IRunEvents& TPlantLink::Journal() {
  return *FWriter;
}

void TPlantLink::Apply(const TPlantSettings& settings) {
  const bool publisherChanged =
      !FPublisher || settings.Broker != FSettings.Broker || settings.User != FSettings.User ||
      settings.PasswordFile != FSettings.PasswordFile || settings.CAFile != FSettings.CAFile ||
      StationName(settings) != Station() || settings.Journal != FSettings.Journal;
  FSettings = settings;
  FJournalPath = settings.Journal.empty() ? plant::JournalPathFor(FSettingsPath) : settings.Journal;
  FWriter->SetPath(FJournalPath);
  if (publisherChanged) {
    FPublisher.reset();  // says "offline" and ends its thread before the next one starts
    plant::TPublisherOptions o;
    o.Station = Station();
    o.BrokerUrl = settings.Broker;
    o.User = settings.User;
    o.PasswordFile = settings.PasswordFile;
    o.CAFile = settings.CAFile;
    FPublisher = std::make_unique<plant::TPublisher>(o, FJournalPath);
  }
  ShowState();
}

void TPlantLink::ShowState() {
  QString text;
  QColor colour = kGrey;
  QString tip;
  const plant::TPublisherStatus s = FPublisher ? FPublisher->Status() : plant::TPublisherStatus{};
  // not configured, settings refused, connected, connected with values waiting, values waiting
  int state = 0;
  switch (s.State) {
    case plant::TPlantLinkState::NotConfigured:
      if (!FSettings.Broker.empty()) {
        colour = kAmber;
        state = 1;
      }
      break;
    case plant::TPlantLinkState::Connected:
      colour = s.Waiting > 0 ? kAmber : kGreen;
      state = s.Waiting > 0 ? 3 : 2;
      break;
    case plant::TPlantLinkState::Disconnected:
      colour = kAmber;
      state = 4;
      break;
  }
  const std::string form = FText ? FText(textid::kPlantState0 + state) : "0";
  text = QString::fromStdString(
      state >= 3 ? measurement::FormatText(form, {std::to_string(s.Waiting)}) : form);
  tip = QString::fromStdString(s.Problem);
  FIndicator->setText(QStringLiteral("\u25CF ") + text);
  QPalette p = FIndicator->palette();
  p.setColor(QPalette::WindowText, colour);
  FIndicator->setPalette(p);
  FIndicator->setToolTip(tip);
}

}  // namespace pzam
