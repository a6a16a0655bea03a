// A plant on one machine for a test: a broker and a PostgreSQL cluster of its own, collectors and
// simulated stations as processes, and the checks that compare the stations' journals with the
// central store value by value.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "Engines.h"

namespace pzam::test {

class TPlantRig {
 public:
  explicit TPlantRig(const TBrokerConfig& broker = {});
  bool Ready() const { return FReady; }

  TTempDir Dir;
  std::unique_ptr<TMosquitto> Broker;
  std::unique_ptr<TPostgres> Pg;

  // pzam-tool collect against the rig's broker and database, with the given extra arguments.
  std::unique_ptr<TChildProcess> StartCollector(const std::vector<std::string>& extra = {},
                                                const std::string& clientId = "collector-1");
  // pzam-plant-station with journals in Dir (--dir and --broker given here).
  std::unique_ptr<TChildProcess> StartStations(const std::vector<std::string>& args);

  // Journals in Dir (*.sqlite).
  std::vector<std::string> Journals() const;
  long StoredValues() const;
  // Waits until the store holds `count` values; the count it reached.
  long WaitForStoredValues(long count, std::chrono::seconds timeout) const;
  // Every value of every journal is in the store once, equal in value, text, time and zone,
  // and nothing else is; every ended run is ended there with its count.
  void ExpectStoreEqualsJournals() const;

 private:
  bool FReady = false;
};

}  // namespace pzam::test
