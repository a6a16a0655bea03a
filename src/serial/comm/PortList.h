// The list of assigned ports with what the system says of each device (for pzam-tool ports).
#pragma once

#include <string>
#include <vector>

#include "serial/comm/PortNames.h"

namespace pzam::comm {

struct TPortEntry {
  int Number = 0;      // n of COMn
  std::string Device;  // as resolved ("/dev/ttyUSB0", or the [Ports] path; "COM3" on Windows)
  // "FTDI FT232R USB UART (0403:6001)", "serial port", ...; on Windows the device name the
  // system lists the port under ("\Device\Serial0").
  std::string Description;
};

// Every port the names assign, in port-number order. Linux (PortList.cpp): described through
// libudev where it knows the device (USB vendor and product), else by the kind of device.
// Windows (PortListWin.cpp): the ports the system lists.
std::vector<TPortEntry> ListPorts(const TPortNames& names);

// The description of one device (a path, following links; on Windows a port name).
std::string DescribeDevice(const std::string& device);

}  // namespace pzam::comm
