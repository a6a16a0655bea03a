// pzam-tool ports: the present serial ports, one line each in port-number order: the name, the
// device it resolves to, and what the system says of the device.
#include <iostream>

#include "Command.h"
#include "config/SettingsFile.h"
#include "platform/Files.h"
#include "serial/COMManager.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortList.h"
#include "serial/comm/PortNames.h"

namespace pzam::tool {
namespace {

int Ports(const TArgs& args) {
  std::string path = SettingsFilePath();
  if (args.size() == 2 && args[0] == "--config") {
    path = args[1];
    if (platform::EntryKind(path) != platform::TEntryKind::File) {
      std::cerr << "pzam-tool ports: cannot read '" << path << "'\n";
      return 1;
    }
  } else if (!args.empty()) {
    std::cerr << "usage: pzam-tool ports [--config FILE]\n";
    return 2;
  }
  comm::TPortNames& names = comm::PlatformPortNames();
  names.SetExplicitMap(ReadPortMap(path));
  // Present is what the port manager lists: the device exists and answers.
  serial::TCOMManager manager(comm::PlatformCommApi(), serial::TCOMManager::kMaxPort);
  for (int i = 0; i < manager.Count(); ++i) {
    const std::string device = names.Resolve(manager.PortNumber(i));
    std::cout << manager.PortName(i) << ' ' << device << ' ' << comm::DescribeDevice(device)
              << '\n';
  }
  return 0;
}

TCommand reg("ports", "ports [--config FILE]", &Ports);

}  // namespace
}  // namespace pzam::tool
