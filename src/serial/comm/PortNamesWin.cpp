// Port names on Windows: COMn are the system's own names (see PortNames.h).
#include "serial/comm/PortNames.h"

#include "serial/comm/RegistryPorts.h"

namespace pzam::comm {

TPortNames::TPortNames(std::string devRoot, TUartTest uartTest)
    : FDevRoot(std::move(devRoot)), FUartTest(std::move(uartTest)) {}

void TPortNames::SetExplicitMap(const std::map<int, std::string>& map) {
  std::lock_guard lock(FMutex);
  FExplicit = map;
}

std::map<int, std::string> TPortNames::ExplicitMap() const {
  std::lock_guard lock(FMutex);
  return FExplicit;
}

std::string TPortNames::Resolve(int number) const {
  return number >= 1 && number <= 99 ? "COM" + std::to_string(number) : std::string();
}

std::map<int, std::string> TPortNames::Table() const {
  std::map<int, std::string> table;
  for (const auto& [number, device] : RegistryPorts()) table[number] = Resolve(number);
  return table;
}

TPortNames& PlatformPortNames() {
  static TPortNames names;
  return names;
}

}  // namespace pzam::comm
