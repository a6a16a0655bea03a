#include "PortEntry.h"

#include <stdexcept>

#include "config/Profile.h"

namespace pzam::sim {
namespace {

std::string ReadEntry(const std::string& path, int port) {
  return ReadProfileString(path, kPortsSection, "COM" + std::to_string(port), "");
}

}  // namespace

TPortEntry::TPortEntry(std::string configPath, int portNumber, std::string devicePath)
    : FConfigPath(std::move(configPath)), FDevicePath(std::move(devicePath)) {
  if (portNumber == 0) {
    for (int n = kFirstSimulatedPort; n <= 99 && portNumber == 0; ++n) {
      if (ReadEntry(FConfigPath, n).empty()) portNumber = n;
    }
    if (portNumber == 0) {
      throw std::runtime_error("no free port from COM5 to COM99 in [Ports] of " + FConfigPath);
    }
  } else {
    FReplaced = ReadEntry(FConfigPath, portNumber);
  }
  FPortNumber = portNumber;
  WriteProfileString(FConfigPath, kPortsSection, PortName(), FDevicePath);
  FActive = true;
}

TPortEntry::~TPortEntry() {
  try {
    Remove();
  } catch (...) {
    // Ending anyway; a stale entry points at a pty that no longer exists.
  }
}

void TPortEntry::Remove() {
  if (!FActive) return;
  FActive = false;
  if (ReadEntry(FConfigPath, FPortNumber) == FDevicePath) {
    DeleteProfileKey(FConfigPath, kPortsSection, PortName());
  }
}

}  // namespace pzam::sim
