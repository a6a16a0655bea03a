// Arrival and removal of serial port devices, and hang-ups of open lines, followed on the window
// thread: Qt's event loop watches the port watch's descriptor where it has one (Linux) and
// dispatches the port watch's window messages (Windows).
#pragma once

#include <QObject>
#include <memory>

#include "common/Dispatcher.h"

namespace pzam {
namespace comm {
class ICommApi;
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
  TDeviceWatch(serial::TCOMManager& manager, IDispatcher& dispatcher, comm::ICommApi& api,
               QObject* parent = nullptr);
  ~TDeviceWatch() override;

  // False when the platform's source could not be set up: arrivals and removals then go
  // unnoticed.
  bool Watching() const { return FWatching; }

 private:
  std::unique_ptr<serial::TPortWatch> FWatch;
  bool FWatching = false;
};

}  // namespace ui
}  // namespace pzam
