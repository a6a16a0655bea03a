// The simulator's entry "COMn=/dev/pts/N" in the [Ports] section of the settings file, through
// which the program finds the simulated port. The entry lives as long as the simulator runs.
#pragma once

#include <string>

namespace pzam::sim {

inline constexpr char kPortsSection[] = "Ports";
inline constexpr int kFirstSimulatedPort = 5;  // COM1 to COM4 are left to real UARTs

class TPortEntry {
 public:
  // Enters devicePath as COMn; portNumber 0 takes the first COMn from COM5 upward that [Ports]
  // does not name yet. Throws pzam::EIniFileError when the file cannot be written and
  // std::runtime_error when every port up to COM99 is taken.
  TPortEntry(std::string configPath, int portNumber, std::string devicePath);
  TPortEntry(const TPortEntry&) = delete;
  TPortEntry& operator=(const TPortEntry&) = delete;
  // Removes the entry if Remove() has not run; errors are swallowed here.
  ~TPortEntry();

  // Removes the entry, unless someone else has since pointed it elsewhere. Throws like the
  // constructor.
  void Remove();

  int PortNumber() const { return FPortNumber; }
  std::string PortName() const { return "COM" + std::to_string(FPortNumber); }
  // The key's previous value when an explicit port overwrote an entry; empty otherwise.
  const std::string& Replaced() const { return FReplaced; }

 private:
  std::string FConfigPath;
  std::string FDevicePath;
  int FPortNumber = 0;
  std::string FReplaced;
  bool FActive = false;
};

}  // namespace pzam::sim
