// Windows: the serial ports the system lists, from HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM
// (one value per port: the driver's device name, "\Device\Serial0", with the port name "COM3"
// as its data).
#pragma once

#include <map>
#include <string>

namespace pzam::comm {

// Port number -> the device name the system lists it under (UTF-8). Values whose data is no
// COM1..COM99 name are left out; empty when the key cannot be read.
std::map<int, std::string> RegistryPorts();

}  // namespace pzam::comm
