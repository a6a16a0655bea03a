// The serial port of a measuring run: a TSerial that lets the run take what is still queued when
// the port manager removes the open port, before the handle is released.
#pragma once

#include <functional>

#include "serial/Serial.h"

namespace pzam::measurement {

class TRunSerial : public serial::TSerial {
 public:
  using TBeforeRemoval = std::function<void(TRunSerial& sender)>;
  using TSerial::TSerial;

  // Runs on the window thread when the open port is removed, while ReadText still reads the
  // bytes that reached the receive queue; OnCOMRemoved follows once the port is closed.
  void SetOnBeforeRemoval(TBeforeRemoval fn) { FBeforeRemoval = std::move(fn); }
  void COMRemoved() override;

 private:
  TBeforeRemoval FBeforeRemoval;
};

}  // namespace pzam::measurement
