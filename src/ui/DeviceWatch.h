// Arrival and removal of serial port devices, and hang-ups of open lines, followed on the window
// thread: Qt's event loop watches the port watch's descriptor and hands every change on.
#pragma once

#include <QObject>
#include <memory>

#include "common/Dispatcher.h"

namespace pzam {
namespace comm {
class TPosixCommApi;
}
namespace serial {
class TCOMManager;
class TPortWatch;
}  // namespace serial

namespace ui {

class TDeviceWatch : public QObject {
  Q_OBJECT

 public:
  // Create on the window thread; manager, dispatcher and api must outlive the watch.
  TDeviceWatch(serial::TCOMManager& manager, IDispatcher& dispatcher, comm::TPosixCommApi& api,
               QObject* parent = nullptr);
  ~TDeviceWatch() override;

  // False when udev is not available: arrivals and removals then go unnoticed.
  bool Watching() const { return FWatching; }

 private:
  std::unique_ptr<serial::TPortWatch> FWatch;
  bool FWatching = false;
};

}  // namespace ui
}  // namespace pzam
