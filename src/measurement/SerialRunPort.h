// The run's port (IRunPort) on a TSerial: opening with the line parameters the component carries,
// the system's reason when that fails, closing and sending.
#pragma once

#include "measurement/RunInterfaces.h"
#include "serial/Serial.h"

namespace pzam::measurement {

class TSerialRunPort : public IRunPort {
 public:
  explicit TSerialRunPort(serial::TSerial& serial) : FSerial(serial) {}

  // "COM" and the component's port number.
  std::string Name() const override;
  bool Open(std::string& reason) override;
  void Close() override { FSerial.ClosePort(); }
  int WriteText(const std::string& text) override;

 private:
  serial::TSerial& FSerial;
};

}  // namespace pzam::measurement
