#include "serial/COMManager.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "serial/Serial.h"
#include "support/FakeCommApi.h"

namespace pzam::serial {
namespace {

using comm::TFakeCommApi;

// A listener that counts its calls in the object it is given.
struct TCounter {
  int Calls = 0;
  static void Count(void* self) { ++static_cast<TCounter*>(self)->Calls; }
  static void Other(void* self) { static_cast<TCounter*>(self)->Calls += 100; }
  static void Throw(void*) { throw std::runtime_error("listener failed"); }
};

void Broadcast(TCOMManager& m, uintptr_t wParam, uint32_t deviceType,
               uint32_t msg = WM_DEVICECHANGE) {
  DEV_BROADCAST_HDR hdr;
  hdr.dbch_devicetype = deviceType;
  m.DeviceChange(msg, wParam, &hdr);
}

TEST(COMManager, ScanLimitGrowsOnlyUpTo99) {
  TFakeCommApi api;
  api.SetPresent({"COM2", "COM40", "COM41", "COM99"});
  TCOMManager m(api, 4);
  TCounter c;
  m.AddListener({&TCounter::Count, &c});
  EXPECT_EQ(m.ScanLimit(), 4);
  EXPECT_EQ(m.Count(), 1);
  EXPECT_EQ(api.CountOf("GetDefaultCommConfig"), 4u);

  m.ScanPorts(40);
  EXPECT_EQ(m.ScanLimit(), 40);
  EXPECT_EQ(c.Calls, 1);
  ASSERT_EQ(m.Count(), 2);
  EXPECT_EQ(m.PortName(1), "COM40");

  api.ClearCalls();
  m.ScanPorts(30);  // below the limit: nothing probed, nobody told
  m.ScanPorts(40);
  EXPECT_EQ(api.CountOf("GetDefaultCommConfig"), 0u);
  EXPECT_EQ(c.Calls, 1);

  m.ScanPorts(150);
  EXPECT_EQ(m.ScanLimit(), 99);
  EXPECT_EQ(c.Calls, 2);
  ASSERT_EQ(m.Count(), 4);
  EXPECT_EQ(m.PortNumber(3), 99);
  for (const auto& call : api.Calls()) EXPECT_EQ(call.find("COM100"), std::string::npos);
}

TEST(COMManager, ProbeNamesAndBufferSize) {
  TFakeCommApi api;
  api.SetPresent({"COM5", "\\\\.\\COM12", "COM13"});
  TCOMManager m(api, 13);
  ASSERT_EQ(m.Count(), 3);
  EXPECT_EQ(m.PortName(1), "COM12");  // listed under its plain name
  EXPECT_EQ(m.PortName(2), "COM13");
  const auto calls = api.Calls();
  // Ports 1-9 are asked once by plain name; 10-99 by plain name, then with the prefix.
  EXPECT_EQ(calls.front(), "GetDefaultCommConfig(COM1,52)");
  EXPECT_EQ(calls[8], "GetDefaultCommConfig(COM9,52)");
  EXPECT_EQ(calls[9], "GetDefaultCommConfig(COM10,52)");
  EXPECT_EQ(calls[10], "GetDefaultCommConfig(\\\\.\\COM10,52)");
  EXPECT_EQ(calls[13], "GetDefaultCommConfig(COM12,52)");
  EXPECT_EQ(calls[14], "GetDefaultCommConfig(\\\\.\\COM12,52)");
  EXPECT_EQ(calls[15], "GetDefaultCommConfig(COM13,52)");  // found at once: no prefixed probe
  EXPECT_EQ(calls.size(), 16u);
  EXPECT_TRUE(m.HasPort(12));
  EXPECT_EQ(m.IndexOfPort(13), 2);
  EXPECT_EQ(m.IndexOfPort(6), -1);
  EXPECT_FALSE(TCOMManager(api, 0).HasPort(5));
}

TEST(COMManager, ListenersToldApartByCode) {
  TFakeCommApi api;
  TCOMManager m(api, 0);
  TCounter a, b;
  m.AddListener({&TCounter::Count, &a});
  m.AddListener({&TCounter::Count, &b});  // same code: ignored
  EXPECT_TRUE(m.HasListener({&TCounter::Count, nullptr}));
  m.ScanPorts(1);
  EXPECT_EQ(a.Calls, 1);
  EXPECT_EQ(b.Calls, 0);
  m.RemoveListener({&TCounter::Count, &b});  // removes the one registered
  EXPECT_FALSE(m.HasListener({&TCounter::Count, &a}));
  m.ScanPorts(2);
  EXPECT_EQ(a.Calls, 1);
  m.RemoveListener({&TCounter::Count, &a});  // nothing registered: nothing happens
}

// A listener that removes another one (whose object goes away with it) during a pass.
struct TRemover {
  TCOMManager* Manager = nullptr;
  TCounter* Victim = nullptr;
  static void Remove(void* self) {
    auto* r = static_cast<TRemover*>(self);
    r->Manager->RemoveListener({&TCounter::Other, r->Victim});
  }
};

TEST(COMManager, ListenerRemovedDuringAPassIsNotCalled) {
  TFakeCommApi api;
  TCOMManager m(api, 0);
  TCounter victim;
  TRemover remover{&m, &victim};
  m.AddListener({&TRemover::Remove, &remover});
  m.AddListener({&TCounter::Other, &victim});
  m.ScanPorts(1);
  EXPECT_EQ(victim.Calls, 0);
  EXPECT_FALSE(m.HasListener({&TCounter::Other, nullptr}));
}

TEST(COMManager, FailingListenerEndsOnlyThatPass) {
  TFakeCommApi api;
  TCOMManager m(api, 0);
  TCounter a, c;
  m.AddListener({&TCounter::Count, &a});
  m.AddListener({&TCounter::Throw, nullptr});
  m.AddListener({&TCounter::Other, &c});
  m.ScanPorts(1);
  m.ScanPorts(2);
  EXPECT_EQ(a.Calls, 2);
  EXPECT_EQ(c.Calls, 0);
}

TEST(COMManager, RemovalOfAnOpenPort) {
  TFakeCommApi api;
  api.SetPresent({"COM3", "COM7"});
  TCOMManager m(api, 40);
  TSerial serial(api, m);
  serial.SetCOMPort(7);
  int removed = 0;
  serial.SetOnCOMRemoved([&](TCustomSerial& sender) {
    EXPECT_EQ(&sender, &serial);
    EXPECT_FALSE(sender.Active());
    ++removed;
  });
  ASSERT_TRUE(serial.OpenPort());
  EXPECT_EQ(m.Owner(1), &serial);
  TCounter listener;
  m.AddListener({&TCounter::Count, &listener});
  int removals = 0, arrivals = 0;
  m.SetOnCOMRemoval([&](TCOMManager& sender) {
    EXPECT_EQ(&sender, &m);
    ++removals;
  });
  m.SetOnCOMArrival([&](TCOMManager&) { ++arrivals; });

  api.SetPresent({"COM3"});
  api.ClearCalls();
  Broadcast(m, DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_PORT);
  EXPECT_EQ(removed, 1);
  EXPECT_FALSE(serial.Active());
  EXPECT_EQ(serial.IoVariant(), TIoVariant::Closed);
  EXPECT_EQ(removals, 1);
  EXPECT_EQ(arrivals, 0);
  EXPECT_EQ(listener.Calls, 2);               // once by the scan, once after the event
  EXPECT_EQ(api.CountOf("SetCommMask"), 0u);  // the device is gone: no mask call
  EXPECT_EQ(api.CountOf("CloseHandle"), 1u);  // but its handle is released
  EXPECT_EQ(serial.WriteText("x"), 0u);
  EXPECT_EQ(m.Count(), 1);
  EXPECT_EQ(m.ScanLimit(), 40);
}

TEST(COMManager, RescanCarriesOwnersAndSeesSwaps) {
  TFakeCommApi api;
  api.SetPresent({"COM1", "COM2"});
  TCOMManager m(api, 4);
  TSerial serial(api, m);  // COM1
  ASSERT_TRUE(serial.OpenPort());
  EXPECT_FALSE(m.RescanPorts());  // nothing changed
  EXPECT_EQ(m.Owner(0), &serial);

  api.SetPresent({"COM1", "COM3"});  // COM2 went, COM3 came: same count
  EXPECT_TRUE(m.RescanPorts());
  EXPECT_EQ(m.Owner(0), &serial);
  EXPECT_EQ(m.PortNumber(1), 3);
  EXPECT_TRUE(serial.Active());
}

// A listener that opens its component while the list is being rebuilt (a run reopening its
// returned port) stays the port's owner, so a later removal still reaches it.
struct TOpener {
  TSerial* Serial = nullptr;
  static void Open(void* self) { static_cast<TOpener*>(self)->Serial->SetActive(true); }
};

TEST(COMManager, PortOpenedDuringARescanKeepsItsOwner) {
  TFakeCommApi api;
  api.SetPresent({"COM1", "COM2"});
  TCOMManager m(api, 4);
  TSerial serial(api, m);
  serial.SetCOMPort(2);
  TOpener opener{&serial};
  m.AddListener({&TOpener::Open, &opener});
  api.SetPresent({"COM2"});
  EXPECT_TRUE(m.RescanPorts());
  ASSERT_TRUE(serial.Active());
  EXPECT_EQ(m.Owner(0), &serial);
  bool removed = false;
  serial.SetOnCOMRemoved([&](TCustomSerial&) { removed = true; });
  api.SetPresent({});
  EXPECT_TRUE(m.RescanPorts());
  EXPECT_TRUE(removed);
  EXPECT_FALSE(serial.Active());
}

TEST(COMManager, BroadcastsThatAreNotPortChanges) {
  TFakeCommApi api;
  api.SetPresent({"COM1"});
  TCOMManager m(api, 4);
  TCounter listener;
  m.AddListener({&TCounter::Count, &listener});
  api.SetPresent({"COM1", "COM2"});
  api.ClearCalls();
  Broadcast(m, DBT_DEVICEARRIVAL, 5);                        // another device type
  Broadcast(m, 0x0007, DBT_DEVTYP_PORT);                     // another wParam
  Broadcast(m, DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, 0x0010);  // another message
  m.DeviceChange(WM_DEVICECHANGE, DBT_DEVICEARRIVAL, nullptr);
  EXPECT_EQ(listener.Calls, 0);
  EXPECT_TRUE(api.Calls().empty());
  EXPECT_EQ(m.Count(), 1);

  // An arrival that changes nothing: the scan's notification only.
  api.SetPresent({"COM1"});
  int arrivals = 0;
  m.SetOnCOMArrival([&](TCOMManager&) { ++arrivals; });
  Broadcast(m, DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT);
  EXPECT_EQ(arrivals, 0);
  EXPECT_EQ(listener.Calls, 1);
}

TEST(COMManager, FailingEventHandlerIsDetached) {
  TFakeCommApi api;
  TCOMManager m(api, 4);
  int calls = 0;
  m.SetOnCOMArrival([&](TCOMManager&) {
    ++calls;
    throw std::runtime_error("handler failed");
  });
  TCounter listener;
  m.AddListener({&TCounter::Count, &listener});
  api.SetPresent({"COM1"});
  m.PortDeviceChanged(true);
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(m.OnCOMArrival());
  EXPECT_EQ(listener.Calls, 2);  // listeners are still told after the event
  api.SetPresent({"COM1", "COM2"});
  m.PortDeviceChanged(true);
  EXPECT_EQ(calls, 1);
}

TEST(COMManager, UpdateOwner) {
  TFakeCommApi api;
  api.SetPresent({"COM1", "COM2"});
  TCOMManager m(api, 4);
  TSerial serial(api, m);
  serial.SetCOMPort(0);
  m.UpdateOwner(serial);  // port 0: nothing
  serial.SetCOMPortUnchecked(9);
  m.UpdateOwner(serial);  // unlisted: nothing
  EXPECT_EQ(m.Owner(0), nullptr);
  EXPECT_EQ(m.Owner(1), nullptr);

  serial.SetCOMPort(2);
  ASSERT_TRUE(serial.OpenPort());
  EXPECT_EQ(m.Owner(1), &serial);
  // The port number changed while open: closing still clears the record it owned.
  serial.SetCOMPort(1);
  serial.ClosePort();
  EXPECT_EQ(m.Owner(0), nullptr);
  EXPECT_EQ(m.Owner(1), nullptr);
}

TEST(COMManager, DestroyedComponentLeavesNoOwner) {
  TFakeCommApi api;
  api.SetPresent({"COM1"});
  TCOMManager m(api, 4);
  {
    TSerial serial(api, m);
    ASSERT_TRUE(serial.OpenPort());
    EXPECT_EQ(m.Owner(0), &serial);
  }
  EXPECT_EQ(m.Owner(0), nullptr);
  api.SetPresent({});
  EXPECT_TRUE(m.RescanPorts());  // would call COMRemoved on a freed component otherwise
}

TEST(COMManager, HangUpOfAPortThatStillAnswers) {
  TFakeCommApi api;
  api.SetPresent({"COM1"});
  TCOMManager m(api, 4);
  TSerial serial(api, m);
  int removed = 0;
  serial.SetOnCOMRemoved([&](TCustomSerial&) { ++removed; });
  ASSERT_TRUE(serial.OpenPort());
  m.PortHungUp(1);
  EXPECT_EQ(removed, 1);
  EXPECT_FALSE(serial.Active());
  EXPECT_EQ(m.Owner(0), nullptr);
  EXPECT_TRUE(serial.OpenPort());  // the port can be opened again
}

}  // namespace
}  // namespace pzam::serial
