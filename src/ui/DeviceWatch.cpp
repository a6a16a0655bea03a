#include "ui/DeviceWatch.h"

#include <QSocketNotifier>

#include "serial/PortWatch.h"

namespace pzam::ui {

TDeviceWatch::TDeviceWatch(serial::TCOMManager& manager, IDispatcher& dispatcher,
                           comm::ICommApi& api, QObject* parent)
    : QObject(parent), FWatch(std::make_unique<serial::TPortWatch>(manager, dispatcher, api)) {
  FWatching = FWatch->Watching();
  if (FWatch->Fd() < 0) return;
  auto* notifier = new QSocketNotifier(FWatch->Fd(), QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, [this] { FWatch->OnReadable(); });
}

TDeviceWatch::~TDeviceWatch() = default;

}  // namespace pzam::ui
