// Port names: which device COMn (n = 1..99) stands for.
//
// Linux (PortNames.cpp): first the explicit map of the settings file's [Ports] section
// (COM5=/dev/ttyUSB0, or a /dev/serial/by-id/... link, followed through links); then the
// defaults: COM1..COM4 on ttyS0..ttyS3 where a real UART answers, then USB and ACM adapters
// (ttyUSB*, ttyACM*) on the following free numbers from COM5 on, ttyUSB before ttyACM, each by
// its number.
//
// Windows (PortNamesWin.cpp): COMn are the system's own names. A port's device is its name, the
// table is what the system lists under HARDWARE\DEVICEMAP\SERIALCOMM, and there is no [Ports]
// section: the explicit map is kept but changes nothing; devRoot and the UART test are unused.
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace pzam::comm {

// The port number of "COM3" or "\\.\COM12" (any case), 0 when the name is not one of 1..99.
int PortNumberFromName(const std::string& name);

class TPortNames {
 public:
  // Tells whether a ttyS device (its path under the device root) has a real UART behind it.
  using TUartTest = std::function<bool(const std::string& device)>;

  // devRoot: where the device nodes live ("/dev"); uartTest: by default the kernel's port type
  // of the device (sysfs, else TIOCGSERIAL) is asked.
  explicit TPortNames(std::string devRoot = "/dev", TUartTest uartTest = {});

  // The [Ports] entries: port number -> device path. Replaces the previous map.
  void SetExplicitMap(const std::map<int, std::string>& map);
  std::map<int, std::string> ExplicitMap() const;

  // The device of port n, "" when none is assigned.
  std::string Resolve(int number) const;
  // Every assigned port: number -> device path (explicit entries as written, defaults as found).
  std::map<int, std::string> Table() const;

  const std::string& DevRoot() const { return FDevRoot; }

 private:
  std::map<int, std::string> Build() const;
  bool HasUartLocked(const std::string& device) const;

  std::string FDevRoot;
  TUartTest FUartTest;
  mutable std::mutex FMutex;
  std::map<int, std::string> FExplicit;
  // Whether a ttyS node has a UART does not change while the system runs: asked once each.
  mutable std::map<std::string, bool> FUarts;
};

// The process-wide names the platform backend resolves with.
TPortNames& PlatformPortNames();

// Linux: the kernel's answer whether a ttyS device has a UART (port type not unknown).
bool UartAnswers(const std::string& device);

}  // namespace pzam::comm
