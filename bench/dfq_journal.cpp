// dfq_journal: a station journal with one finished run for timing pzam-tool dfq --run.
//
//   dfq_journal JOURNAL VALUES [CHARACTERISTICS]
//
// Writes the run into JOURNAL (created when missing) and prints its id. With CHARACTERISTICS
// above 1 it is a plan run, its characteristics journaled, whose parts each carry one value per
// characteristic.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "common/RunId.h"
#include "plant/IsoTime.h"
#include "plant/Journal.h"

int main(int argc, char** argv) {
  using namespace pzam::plant;
  if (argc < 3) {
    std::cerr << "usage: dfq_journal JOURNAL VALUES [CHARACTERISTICS]\n";
    return 2;
  }
  const int values = std::stoi(argv[2]);
  const int characteristics = argc > 3 ? std::stoi(argv[3]) : 1;
  TJournal journal;
  // Normal: the bench needs the rows, not a sync per value.
  if (const std::string e = journal.Open(argv[1], TJournalSync::Normal); !e.empty()) {
    std::cerr << e << '\n';
    return 1;
  }
  const auto now = std::chrono::system_clock::now();
  TRunStart run;
  run.RunId = pzam::NewRunId(now);
  run.Station = "bench";
  run.Batch = "B1";
  run.Port = "COM1";
  run.RecordFile = "bench.csv";
  run.Nominal = 12.3;
  run.Lsl = 12.2;
  run.Usl = 12.4;
  run.Started = LocalIsoTimeText(now);
  if (characteristics > 1) {
    run.PlanName = "Bench";
    run.PartNumber = "4711";
    run.PartName = "Bench part";
    for (int c = 1; c <= characteristics; ++c)
      run.Characteristics.push_back({"C" + std::to_string(c), 12.3, 12.2, 12.4, "mm", 3, 1, 0});
  }
  if (const std::string e = journal.StartRun(run); !e.empty()) {
    std::cerr << e << '\n';
    return 1;
  }
  for (int i = 0; i < values; ++i) {
    TValueRecord v;
    v.RunId = run.RunId;
    v.Seq = i + 1;
    v.Value = 12.3 + (i % 41 - 20) / 1000.0;
    char text[32];
    std::snprintf(text, sizeof text, "%+08.3f", v.Value);
    v.Text = text;
    v.Time = LocalIsoTimeText(now + std::chrono::milliseconds(250 * i));
    if (characteristics > 1) {
      v.Part = i / characteristics + 1;
      v.PartId = "P" + std::to_string(*v.Part);
      v.Characteristic = i % characteristics + 1;
      v.CharacteristicName = "C" + std::to_string(v.Characteristic);
    }
    if (const std::string e = journal.AddValue(v); !e.empty()) {
      std::cerr << e << '\n';
      return 1;
    }
  }
  journal.EndRun({run.RunId, LocalIsoTimeText(now + std::chrono::seconds(3000)), values});
  std::cout << run.RunId << '\n';
  return 0;
}
