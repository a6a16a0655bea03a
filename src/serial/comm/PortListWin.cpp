// The port list on Windows: the ports the system lists, each described by the device name it
// is listed under.
#include "serial/comm/PortList.h"

#include "serial/comm/RegistryPorts.h"

namespace pzam::comm {

std::string DescribeDevice(const std::string& device) {
  const auto ports = RegistryPorts();
  const auto it = ports.find(PortNumberFromName(device));
  return it == ports.end() ? "not listed by the system" : it->second;
}

std::vector<TPortEntry> ListPorts(const TPortNames& names) {
  std::vector<TPortEntry> list;
  for (const auto& [number, device] : RegistryPorts())
    list.push_back({number, names.Resolve(number), device});
  return list;
}

}  // namespace pzam::comm
