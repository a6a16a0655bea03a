// Binds a measuring run to its serial port. The event-character handler waits 200 ms on the
// port's event thread, reads, and queues the text for the window thread tagged with the run it was
// read for; the run decodes it there. A port removed during a run is reported at once, and
// reopened with its line parameters when the port manager lists it again.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "common/Dispatcher.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RunSerial.h"

namespace pzam::measurement {

class TSerialRunBinding {
 public:
  // Runs a piece of the binding's window-thread work (handing a text to the run, a memo line);
  // the windows pass their error-box guard. Empty: the work runs as it is.
  using TGuard = std::function<void(const std::function<void()>& work)>;

  // Assigns the component's event-character, removal and handler-error events, makes its handlers
  // run on the event thread and listens to its port manager. Create and destroy on the window
  // thread; serial, run, view, choices and window must outlive the binding. After destruction no
  // handler touches the run, even one still running on the event thread.
  TSerialRunBinding(TRunSerial& serial, IBoundRun& run, IRunView& view, const IRunChoices& choices,
                    IDispatcher& window, TGuard guard = {});
  ~TSerialRunBinding();
  TSerialRunBinding(const TSerialRunBinding&) = delete;
  TSerialRunBinding& operator=(const TSerialRunBinding&) = delete;

  // The running run's port was removed and has not been reopened yet.
  bool PortLost() const;

 private:
  struct TShared;
  static void ListChanged(void* self);
  void Removed();
  void TryReopen();
  void AddMemo(int textId);

  TRunSerial& FSerial;
  IBoundRun& FRun;
  IRunView& FView;
  const IRunChoices& FChoices;
  std::shared_ptr<TShared> FShared;
  bool FLost = false;
  std::uint64_t FLostGeneration = 0;
};

}  // namespace pzam::measurement
