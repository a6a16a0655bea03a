#include "measurement/SerialRunPort.h"

#include "common/ReasonTexts.h"

namespace pzam::measurement {

std::string TSerialRunPort::Name() const {
  return "COM" + std::to_string(FSerial.COMPort());
}

bool TSerialRunPort::Open(std::string& reason) {
  reason.clear();
  if (FSerial.Active()) return true;
  if (FSerial.OpenPort()) return true;
  // OpenPort leaves no reason when it did not even try: no port chosen.
  reason = FSerial.LastOpenError().Text;
  if (reason.empty()) reason = ReasonText(kReasonNoPortChosen);
  return false;
}

int TSerialRunPort::WriteText(const std::string& text) {
  return static_cast<int>(FSerial.WriteText(text));
}

}  // namespace pzam::measurement
