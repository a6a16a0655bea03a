// The list of assigned ports with what the system says of each device (for pzam-tool ports).
#pragma once

#include <string>
#include <vector>

#include "serial/comm/PortNames.h"

namespace pzam::comm {

struct TPortEntry {
  int Number = 0;           // n of COMn
  std::string Device;       // as resolved ("/dev/ttyUSB0", or the [Ports] path)
  std::string Description;  // "FTDI FT232R USB UART (0403:6001)", "serial port", ...
};

// Every port the names assign, in port-number order, described through libudev where it knows
// the device (USB vendor and product), else by the kind of device.
std::vector<TPortEntry> ListPorts(const TPortNames& names);

// The description of one device path (following links).
std::string DescribeDevice(const std::string& device);

}  // namespace pzam::comm
