// pzam-tool import: journals of stations without a network into the central store. What is
// there already stays as it is, so a journal can be imported again.
#include <filesystem>
#include <iostream>

#include "CentralStore.h"
#include "ToolArgs.h"
#include "plant/Journal.h"
#include "plant/PlantMessages.h"

namespace pzam::tool {
namespace {

constexpr char kUsage[] = "import --db CONNINFO JOURNAL...  station journals into PostgreSQL";
constexpr std::size_t kBatch = 2000;

// The journal's runs as the messages a station would have published, read back through the
// collector's own checks.
bool ImportJournal(const std::string& path, central::TCentralStore& store, std::string& summary,
                   std::string& error) {
  if (!std::filesystem::is_regular_file(path)) {
    error = "no journal at '" + path + "'";
    return false;
  }
  plant::TJournal journal;
  std::vector<plant::TRunRecord> runs;
  if (error = journal.Open(path, plant::TJournalSync::Normal); !error.empty()) return false;
  if (error = journal.ListRuns(std::nullopt, runs); !error.empty()) return false;
  std::vector<plant::TPlantMessage> batch;
  std::size_t values = 0;
  auto add = [&](const plant::TOutboxEntry& e) {
    const plant::TMessage m = plant::MessageOf(e);
    plant::TPlantMessage parsed;
    if (!plant::ParseMessage(m.Topic, m.Payload, parsed, error)) {
      error = "'" + path + "': " + m.Topic + ": " + error;
      return false;
    }
    batch.push_back(std::move(parsed));
    if (batch.size() < kBatch) return true;
    const bool ok = store.Write(batch, error) == central::TWriteResult::Ok;
    batch.clear();
    return ok;
  };
  for (const auto& run : runs) {
    plant::TOutboxEntry e;
    e.Run = run;
    e.Kind = plant::TOutboxKind::Start;
    if (!add(e)) return false;
    std::vector<plant::TValueRecord> runValues;
    if (error = journal.RunValues(run.Start.RunId, runValues); !error.empty()) return false;
    e.Kind = plant::TOutboxKind::Value;
    for (const auto& v : runValues) {
      e.Value = v;
      if (!add(e)) return false;
    }
    values += runValues.size();
    e.Kind = plant::TOutboxKind::End;
    if (run.Ended && !add(e)) return false;
  }
  if (!batch.empty() && store.Write(batch, error) != central::TWriteResult::Ok) return false;
  summary = std::to_string(runs.size()) + " runs, " + std::to_string(values) + " values";
  return true;
}

int Import(const TArgs& args) {
  TParsedArgs a;
  std::string error;
  if (!ParseArgs(args, {"--db"}, a, error) || !a.Has("--db") || a.Plain.empty()) {
    std::cerr << "pzam-tool import: " << (error.empty() ? "--db and a JOURNAL are needed" : error)
              << "\nusage: pzam-tool " << kUsage << '\n';
    return 2;
  }
  central::TCentralStore store;
  if (!store.Open(a.Get("--db"), error)) {
    std::cerr << "pzam-tool import: " << error << '\n';
    return 1;
  }
  for (const std::string& path : a.Plain) {
    std::string summary;
    if (!ImportJournal(path, store, summary, error)) {
      std::cerr << "pzam-tool import: " << error << '\n';
      return 1;
    }
    std::cout << "imported '" << path << "': " << summary << '\n';
  }
  return 0;
}

TCommand reg("import", kUsage, &Import);

}  // namespace
}  // namespace pzam::tool
