// The plant under faults, with real engines: the broker or the database away for 20 s, a
// collector or a station killed and started again, two collectors sharing the stream. After
// each, the store holds every journaled value once: none missing, none doubled.
#include <gtest/gtest.h>

#include <thread>

#include "PlantRig.h"

namespace pzam::test {
namespace {

using namespace std::chrono_literals;

// Stations' arguments: `stations` stations, one run each of `values` values at `rate` per second.
std::vector<std::string> Load(int stations, int values, int rate) {
  return {"--stations", std::to_string(stations),
          "--runs",     "1",
          "--values",   std::to_string(values),
          "--rate",     std::to_string(rate),
          "--prefix",   "fault"};
}

// Waits for the stations to drain and the store to hold all their values, then compares.
void ExpectAllArrived(TPlantRig& rig, TChildProcess& stations, long expected) {
  ASSERT_TRUE(stations.WaitForStdout("drained", 90s)) << stations.Stderr();
  EXPECT_EQ(0, stations.WaitForExit(20s));
  EXPECT_EQ(expected, rig.WaitForStoredValues(expected, 60s));
  rig.ExpectStoreEqualsJournals();
}

TEST(PlantFaults, BrokerAwayFor20Seconds) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  auto stations = rig.StartStations(Load(4, 300, 10));
  std::this_thread::sleep_for(4s);
  rig.Broker->Stop();
  std::this_thread::sleep_for(20s);
  EXPECT_LT(rig.StoredValues(), 4 * 300) << "the outage came too late to matter";
  ASSERT_TRUE(rig.Broker->Start());
  ExpectAllArrived(rig, *stations, 4 * 300);
}

TEST(PlantFaults, DatabaseAwayFor20Seconds) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  auto stations = rig.StartStations(Load(4, 300, 10));
  std::this_thread::sleep_for(4s);
  rig.Pg->Stop();
  std::this_thread::sleep_for(20s);
  ASSERT_TRUE(rig.Pg->Start());
  EXPECT_LT(rig.StoredValues(), 4 * 300) << "the outage came too late to matter";
  ExpectAllArrived(rig, *stations, 4 * 300);
  collector->Poll();
  EXPECT_NE(std::string::npos, collector->Stderr().find("database connected"))
      << collector->Stderr();
}

TEST(PlantFaults, CollectorKilledAndStartedAgain) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  auto stations = rig.StartStations(Load(4, 200, 40));
  std::this_thread::sleep_for(2s);
  collector->Signal(SIGKILL);
  collector->WaitForExit(5s);
  const long before = rig.StoredValues();
  std::this_thread::sleep_for(3s);
  EXPECT_EQ(before, rig.StoredValues());  // nobody writes while it is gone
  collector = rig.StartCollector();
  ExpectAllArrived(rig, *stations, 4 * 200);
}

TEST(PlantFaults, TwoCollectorsShareTheStream) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto first = rig.StartCollector({"--shared", "central"}, "collector-a");
  auto second = rig.StartCollector({"--shared", "central"}, "collector-b");
  auto stations = rig.StartStations(Load(6, 150, 50));
  ExpectAllArrived(rig, *stations, 6 * 150);
  // Both took part.
  for (auto* c : {first.get(), second.get()}) {
    c->Signal(SIGTERM);
    EXPECT_EQ(0, c->WaitForExit(10s));
    EXPECT_EQ(std::string::npos, c->Stderr().find(" 0 messages written")) << c->Stderr();
    EXPECT_NE(std::string::npos, c->Stderr().find(" messages written")) << c->Stderr();
  }
}

TEST(PlantFaults, StationKilledAndStartedAgainOnItsJournal) {
  TPlantRig rig;
  ASSERT_TRUE(rig.Ready());
  auto collector = rig.StartCollector();
  auto stations = rig.StartStations(Load(3, 200, 40));
  std::this_thread::sleep_for(2500ms);
  stations->Signal(SIGKILL);
  stations->WaitForExit(5s);
  // The same journals: the open runs are finished, the unpublished rest goes out.
  stations = rig.StartStations(Load(3, 200, 40));
  ExpectAllArrived(rig, *stations, 3 * 200);
}

}  // namespace
}  // namespace pzam::test
