// pzam-plant-station: simulated stations for the plant tests and the load benchmark. Each station
// journals runs of values at a gauge's line rate through the station's own journal and publisher,
// exactly as the program does, then waits until the broker has acknowledged everything.
//
//   pzam-plant-station --dir DIR --broker URL [--stations K] [--prefix NAME] [--runs R]
//       [--values N] [--rate HZ] [--user U] [--password-file F] [--ca-file F] [--drain-seconds S]
//       [--fast-journal 1]
//
// Station i (0..K-1) is named PREFIXi (or PREFIX alone when K is 1), its journal is
// DIR/PREFIXi.sqlite, its user is U or the station's name. A journal that holds an open run is
// continued where it stopped, so a killed station started again finishes its runs. Value seq of
// station i is (i + 1) + seq / 1000. Prints "journaled K*R*N" when all values are in the journals
// and "drained" when the broker has acknowledged them all.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/RunId.h"
#include "plant/IsoTime.h"
#include "plant/Journal.h"
#include "plant/Publisher.h"

namespace {

using namespace pzam::plant;
using pzam::NewRunId;
using TClock = std::chrono::steady_clock;

struct TLoad {
  std::string Dir, Broker, Prefix = "st", User, PasswordFile, CAFile;
  int Stations = 1, Runs = 1, Values = 100;
  double Rate = 20;
  int DrainSeconds = 600;
  bool FastJournal = false;  // commits not synced: only to build a backlog for a benchmark
};

std::string StationName(const TLoad& l, int i) {
  return l.Stations == 1 ? l.Prefix : l.Prefix + std::to_string(i);
}

// Journals the station's runs; false on a journal error (printed).
bool Journal(const TLoad& l, int index, TJournal& journal, TPublisher& publisher) {
  const std::string station = StationName(l, index);
  std::vector<TRunRecord> runs;
  if (const auto e = journal.ListRuns(std::nullopt, runs); !e.empty()) {
    std::cerr << e << '\n';
    return false;
  }
  const auto period = std::chrono::duration<double>(1.0 / l.Rate);
  auto next = TClock::now();
  int done = 0;
  for (const auto& r : runs) done += r.Ended ? 1 : 0;
  std::optional<TRunRecord> open;
  if (!runs.empty() && !runs.back().Ended) open = runs.back();
  while (open || done < l.Runs) {
    TRunRecord run;
    if (open) {
      run = *open;
      open.reset();
    } else {
      run.Start.RunId = NewRunId();
      run.Start.Station = station;
      run.Start.Batch = "load-" + std::to_string(done);
      run.Start.Port = "COM" + std::to_string(index % 99 + 1);
      run.Start.RecordFile = station + "-" + std::to_string(done) + ".csv";
      run.Start.Nominal = index + 1.5;
      run.Start.Lsl = index + 1.0;
      run.Start.Usl = index + 2.0;
      run.Start.Started = LocalIsoTimeText(std::chrono::system_clock::now());
      if (const auto e = journal.StartRun(run.Start); !e.empty()) {
        std::cerr << e << '\n';
        return false;
      }
      publisher.Notify();
    }
    for (std::int64_t seq = run.ValueCount + 1; seq <= l.Values; ++seq) {
      next += std::chrono::duration_cast<TClock::duration>(period);
      std::this_thread::sleep_until(next);
      TValueRecord v;
      v.RunId = run.Start.RunId;
      v.Seq = seq;
      v.Value = index + 1 + static_cast<double>(seq) / 1000;
      char text[32];
      std::snprintf(text, sizeof text, "%+09.3f", v.Value);
      v.Text = text;
      v.Time = LocalIsoTimeText(std::chrono::system_clock::now());
      v.Tolerance = TToleranceZone::In;
      if (const auto e = journal.AddValue(v); !e.empty()) {
        std::cerr << e << '\n';
        return false;
      }
      publisher.Notify();
    }
    const auto e = journal.EndRun(
        {run.Start.RunId, LocalIsoTimeText(std::chrono::system_clock::now()), l.Values});
    if (!e.empty()) {
      std::cerr << e << '\n';
      return false;
    }
    publisher.Notify();
    ++done;
  }
  return true;
}

bool ParseArgs(int argc, char** argv, TLoad& l) {
  const std::map<std::string, std::function<void(const std::string&)>> set = {
      {"--dir", [&](const std::string& v) { l.Dir = v; }},
      {"--broker", [&](const std::string& v) { l.Broker = v; }},
      {"--prefix", [&](const std::string& v) { l.Prefix = v; }},
      {"--user", [&](const std::string& v) { l.User = v; }},
      {"--password-file", [&](const std::string& v) { l.PasswordFile = v; }},
      {"--ca-file", [&](const std::string& v) { l.CAFile = v; }},
      {"--stations", [&](const std::string& v) { l.Stations = std::stoi(v); }},
      {"--runs", [&](const std::string& v) { l.Runs = std::stoi(v); }},
      {"--values", [&](const std::string& v) { l.Values = std::stoi(v); }},
      {"--rate", [&](const std::string& v) { l.Rate = std::stod(v); }},
      {"--drain-seconds", [&](const std::string& v) { l.DrainSeconds = std::stoi(v); }},
      {"--fast-journal", [&](const std::string& v) { l.FastJournal = v == "1"; }},
  };
  for (int i = 1; i + 1 < argc; i += 2) {
    const auto it = set.find(argv[i]);
    if (it == set.end()) return false;
    it->second(argv[i + 1]);
  }
  return argc % 2 == 1 && !l.Dir.empty() && l.Rate > 0;
}

}  // namespace

int main(int argc, char** argv) {
  TLoad l;
  if (!ParseArgs(argc, argv, l)) {
    std::cerr << "usage: pzam-plant-station --dir DIR --broker URL [--stations K] [--prefix NAME] "
                 "[--runs R] [--values N] [--rate HZ] [--user U] [--password-file F] "
                 "[--ca-file F] [--drain-seconds S] [--fast-journal 1]\n";
    return 2;
  }
  std::vector<std::unique_ptr<TJournal>> journals;
  std::vector<std::unique_ptr<TPublisher>> publishers;
  for (int i = 0; i < l.Stations; ++i) {
    const std::string station = StationName(l, i), path = l.Dir + "/" + station + ".sqlite";
    journals.push_back(std::make_unique<TJournal>());
    if (const auto e =
            journals.back()->Open(path, l.FastJournal ? TJournalSync::Normal : TJournalSync::Full);
        !e.empty()) {
      std::cerr << e << '\n';
      return 1;
    }
    publishers.push_back(std::make_unique<TPublisher>(
        TPublisherOptions{station, l.Broker, l.User.empty() ? station : l.User, l.PasswordFile,
                          l.CAFile},
        path));
    if (publishers.back()->Status().State == TPlantLinkState::NotConfigured) {
      std::cerr << "station " << station << ": " << publishers.back()->Status().Problem << '\n';
      return 1;
    }
  }
  std::atomic<bool> failed{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < l.Stations; ++i)
    threads.emplace_back([&, i] {
      if (!Journal(l, i, *journals[i], *publishers[i])) failed = true;
    });
  for (auto& t : threads) t.join();
  if (failed) return 1;
  std::cout << "journaled " << static_cast<long>(l.Stations) * l.Runs * l.Values << std::endl;
  // Drained: every entry of every journal is acknowledged.
  const auto deadline = TClock::now() + std::chrono::seconds(l.DrainSeconds);
  for (int i = 0; i < l.Stations;) {
    std::vector<TOutboxEntry> left;
    if (!journals[i]->Unpublished(0, 1, left).empty()) return 1;
    if (left.empty()) {
      ++i;
      continue;
    }
    if (TClock::now() > deadline) {
      std::cerr << "not drained in time\n";
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::cout << "drained" << std::endl;
  publishers.clear();  // "offline" and a clean disconnect
  return 0;
}
