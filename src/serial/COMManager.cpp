#include "serial/COMManager.h"

#include <algorithm>

#include "serial/CustomSerial.h"

namespace pzam::serial {

TCOMManager::TCOMManager(comm::ICommApi& api, int initialScan) : FApi(api) {
  ScanPorts(initialScan);
}

bool TCOMManager::Probe(int number) {
  // The probe passes a 52-byte configuration block; the names are those the system knows.
  auto ask = [&](const std::string& name) {
    comm::COMMCONFIG config;
    uint32_t size = sizeof(config);
    return FApi.GetDefaultCommConfig(name, &config, size);
  };
  const std::string name = "COM" + std::to_string(number);
  if (ask(name)) return true;
  return number >= 10 && ask("\\\\.\\" + name);
}

void TCOMManager::ScanPorts(int upTo) {
  upTo = std::min(upTo, kMaxPort);
  if (upTo < FScanLimit + 1) return;
  for (int n = FScanLimit + 1; n <= upTo; ++n) {
    if (Probe(n)) FPorts.push_back({n, nullptr});
  }
  FScanLimit = upTo;
  NotifyListeners();
}

bool TCOMManager::RescanPorts() {
  std::vector<TPortRecord> old;
  old.swap(FPorts);
  const int limit = FScanLimit;
  FScanLimit = 0;
  ScanPorts(limit);
  bool changed = old.size() != FPorts.size();
  for (const TPortRecord& rec : old) {
    const int index = IndexOfPort(rec.Number);
    if (index >= 0) {
      // A listener told of the new list may have opened the port meanwhile: its record stays.
      TCustomSerial*& owner = FPorts[static_cast<size_t>(index)].Owner;
      if (owner == nullptr) owner = rec.Owner;
    } else {
      if (rec.Owner) rec.Owner->COMRemoved();
      changed = true;
    }
  }
  return changed;
}

int TCOMManager::IndexOfPort(int number) const {
  for (size_t i = 0; i < FPorts.size(); ++i) {
    if (FPorts[i].Number == number) return static_cast<int>(i);
  }
  return -1;
}

bool TCOMManager::HasListener(const TListener& listener) const {
  return std::any_of(FListeners.begin(), FListeners.end(),
                     [&](const TListener& l) { return l.Code == listener.Code; });
}

void TCOMManager::AddListener(const TListener& listener) {
  if (!HasListener(listener)) FListeners.push_back(listener);
}

void TCOMManager::RemoveListener(const TListener& listener) {
  auto it = std::find_if(FListeners.begin(), FListeners.end(),
                         [&](const TListener& l) { return l.Code == listener.Code; });
  if (it != FListeners.end()) FListeners.erase(it);
}

void TCOMManager::NotifyListeners() {
  // A listener may add or remove listeners while it runs: notify the chain as it was, leaving
  // out those removed meanwhile (their object may be gone).
  const std::vector<TListener> chain = FListeners;
  auto registered = [&](const TListener& l) {
    return std::any_of(FListeners.begin(), FListeners.end(), [&](const TListener& r) {
      return r.Code == l.Code && r.Object == l.Object;
    });
  };
  try {
    for (const TListener& l : chain) {
      if (registered(l)) l.Code(l.Object);
    }
  } catch (...) {
    // A failing listener ends this pass only.
  }
}

void TCOMManager::UpdateOwner(TCustomSerial& component) {
  if (!component.Active()) {
    ForgetOwner(component);
    return;
  }
  const int index = IndexOfPort(component.COMPort());
  if (index >= 0) FPorts[static_cast<size_t>(index)].Owner = &component;
}

void TCOMManager::ForgetOwner(const TCustomSerial& component) {
  for (TPortRecord& rec : FPorts) {
    if (rec.Owner == &component) rec.Owner = nullptr;
  }
}

void TCOMManager::DeviceChange(uint32_t msg, uintptr_t wParam, const void* lParam) {
  if (msg != WM_DEVICECHANGE || lParam == nullptr) return;
  if (wParam != DBT_DEVICEARRIVAL && wParam != DBT_DEVICEREMOVECOMPLETE) return;
  if (static_cast<const DEV_BROADCAST_HDR*>(lParam)->dbch_devicetype != DBT_DEVTYP_PORT) return;
  if (!RescanPorts()) return;
  TManagerEvent& event = wParam == DBT_DEVICEARRIVAL ? FOnArrival : FOnRemoval;
  if (event) {
    try {
      // A copy: the handler may assign the event anew.
      TManagerEvent handler = event;
      handler(*this);
    } catch (...) {
      event = nullptr;  // a failing handler is detached for good
    }
  }
  NotifyListeners();
}

void TCOMManager::PortDeviceChanged(bool arrived) {
  DEV_BROADCAST_HDR hdr;
  hdr.dbch_devicetype = DBT_DEVTYP_PORT;
  DeviceChange(WM_DEVICECHANGE, arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE, &hdr);
}

void TCOMManager::PortHungUp(int number) {
  PortDeviceChanged(false);
  const int index = IndexOfPort(number);
  if (index < 0) return;
  TCustomSerial* owner = FPorts[static_cast<size_t>(index)].Owner;
  FPorts[static_cast<size_t>(index)].Owner = nullptr;
  if (owner) owner->COMRemoved();
}

}  // namespace pzam::serial
