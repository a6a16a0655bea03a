// The port manager: which serial ports exist (COM1 to COM99), which component has each open, and
// who wants to hear when that list changes. One for the program (ComManager()); it lives on the
// window thread, where device changes reach it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "serial/comm/CommApi.h"

namespace pzam::serial {

class TCustomSerial;
class TCOMManager;

// A listener method: code and object. Listeners are told apart by their code alone.
struct TListener {
  void (*Code)(void* object) = nullptr;
  void* Object = nullptr;
};

using TManagerEvent = std::function<void(TCOMManager& sender)>;

// The device-change broadcast, as the platform delivers it.
inline constexpr uint32_t WM_DEVICECHANGE = 0x0219;
inline constexpr uintptr_t DBT_DEVICEARRIVAL = 0x8000;
inline constexpr uintptr_t DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr uint32_t DBT_DEVTYP_PORT = 3;
struct DEV_BROADCAST_HDR {
  uint32_t dbch_size = sizeof(DEV_BROADCAST_HDR);
  uint32_t dbch_devicetype = 0;
  uint32_t dbch_reserved = 0;
};

class TCOMManager {
 public:
  static constexpr int kMaxPort = 99;

  // Creates the manager and scans ports 1 to initialScan (the program's manager: 4).
  explicit TCOMManager(comm::ICommApi& api, int initialScan = 4);
  TCOMManager(const TCOMManager&) = delete;
  TCOMManager& operator=(const TCOMManager&) = delete;

  // Probes the ports above the scan limit up to upTo (at most 99), then notifies the listeners.
  void ScanPorts(int upTo);
  // Rebuilds the list up to the scan limit, carrying owners over; tells the owner of a vanished
  // port (COMRemoved). True when the list changed.
  bool RescanPorts();

  bool HasPort(int number) const { return IndexOfPort(number) >= 0; }
  int IndexOfPort(int number) const;
  int ScanLimit() const { return FScanLimit; }
  int Count() const { return static_cast<int>(FPorts.size()); }
  int PortNumber(int index) const { return FPorts.at(static_cast<size_t>(index)).Number; }
  std::string PortName(int index) const { return "COM" + std::to_string(PortNumber(index)); }
  TCustomSerial* Owner(int index) const { return FPorts.at(static_cast<size_t>(index)).Owner; }

  bool HasListener(const TListener& listener) const;
  void AddListener(const TListener& listener);
  void RemoveListener(const TListener& listener);

  // Records the component as its port's owner while it is active, clears it when not.
  void UpdateOwner(TCustomSerial& component);
  // Clears every record the component owns (it is going away).
  void ForgetOwner(const TCustomSerial& component);

  void SetOnCOMArrival(TManagerEvent fn) { FOnArrival = std::move(fn); }
  void SetOnCOMRemoval(TManagerEvent fn) { FOnRemoval = std::move(fn); }
  const TManagerEvent& OnCOMArrival() const { return FOnArrival; }
  const TManagerEvent& OnCOMRemoval() const { return FOnRemoval; }

  // The device-change handling: lParam points to the broadcast header.
  void DeviceChange(uint32_t msg, uintptr_t wParam, const void* lParam);
  // A port device arrived or was removed (what the platform's device monitor reports).
  void PortDeviceChanged(bool arrived);
  // The open line of a port hung up: handled as that port's removal. When the device still
  // answers the probe, its owner is told all the same, since its line is dead.
  void PortHungUp(int number);

 private:
  struct TPortRecord {
    int Number = 0;
    TCustomSerial* Owner = nullptr;
  };

  bool Probe(int number);
  void NotifyListeners();

  comm::ICommApi& FApi;
  int FScanLimit = 0;
  std::vector<TPortRecord> FPorts;
  TManagerEvent FOnArrival;
  TManagerEvent FOnRemoval;
  std::vector<TListener> FListeners;
};

// The program's port manager on the platform's comm layer (created on first use, ports 1 to 4
// scanned). Use it from the window thread only.
TCOMManager& ComManager();

}  // namespace pzam::serial
