#include "export/DfqSources.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>

#include "analysis/ValueFile.h"
#include "plant/Journal.h"

namespace pzam::dfq {
namespace {

// The file name without its folders.
std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Stem(const std::string& path) {
  const std::string base = BaseName(path);
  const std::size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

// A plan run's record files carry "_N" for their characteristic; its transfer file is named as
// the run, without it.
std::string PlanRunName(const std::string& recordFile) {
  const std::string stem = Stem(recordFile);
  const std::size_t underscore = stem.rfind("_1");
  return underscore != std::string::npos && underscore + 2 == stem.size()
             ? stem.substr(0, underscore)
             : stem;
}

// The clock time "hh:mm:ss" of a record row on the run's date "YYYY-MM-DD".
std::optional<TDateTime> RowTime(const std::string& date, const std::string& time) {
  TDateTime t;
  if (date.empty() || !ParseDateTime(date + " " + time, t)) return std::nullopt;
  return t;
}

}  // namespace

bool JournalSource(const std::string& journalPath, const std::string& runId, TDfqSource& out,
                   std::string& error) {
  if (!std::filesystem::is_regular_file(journalPath)) {
    error = "no journal at '" + journalPath + "'";
    return false;
  }
  plant::TJournal journal;
  std::optional<plant::TRunRecord> run;
  std::vector<plant::TValueRecord> values;
  if (error = journal.Open(journalPath, plant::TJournalSync::Normal); !error.empty()) return false;
  if (error = journal.FindRun(runId, run); !error.empty()) return false;
  if (!run) {
    error = "no run " + runId + " in '" + journalPath + "'";
    return false;
  }
  if (error = journal.RunValues(runId, values); !error.empty()) return false;
  std::erase_if(values, [](const plant::TValueRecord& v) { return v.Discarded; });

  const plant::TRunStart& s = run->Start;
  TDfqFile& f = out.File;
  const bool plan = s.PlanName.has_value();
  f.PartNumber = s.PartNumber.value_or("");
  f.PartName = s.PartName.value_or(s.PlanName.value_or(""));
  out.Name = (s.RecordFile.empty() ? runId
              : plan               ? PlanRunName(s.RecordFile)
                                   : Stem(s.RecordFile)) +
             ".dfq";
  f.PartNumber = PartNumberOr(f.PartNumber, s.PlanName.value_or(""), out.Name);
  out.ValueCount = static_cast<int>(values.size());
  const auto value = [&s](const plant::TValueRecord& v) {
    return TDfqValue{ValueText(v.Text, v.Value), FromIsoText(v.Time), s.Batch,
                     v.PartId.value_or("")};
  };
  if (!plan) {
    f.Characteristics = {{s.Port, 0, s.Nominal, s.Lsl, s.Usl, ""}};
    for (const auto& v : values) {
      f.Characteristics[0].Decimals = std::max(f.Characteristics[0].Decimals, TextDecimals(v.Text));
      f.Sets.push_back({{value(v)}});
    }
    return true;
  }
  // The plan's characteristics as the run started with them, each written whether it got a value
  // or not. A run journaled before the journal kept them: as many as the values name, named and
  // with decimals as the values give them.
  const bool fromValues = s.Characteristics.empty();
  for (const auto& c : s.Characteristics)
    f.Characteristics.push_back({c.Name, c.Decimals, c.Nominal, c.Lsl, c.Usl, c.Unit});
  if (fromValues) {
    std::int64_t most = 0;
    for (const auto& v : values) most = std::max(most, v.Characteristic);
    f.Characteristics.resize(static_cast<std::size_t>(std::clamp<std::int64_t>(most, 0, 99)));
    for (auto& c : f.Characteristics) c.Decimals = 0;
  }
  const auto count = static_cast<std::int64_t>(f.Characteristics.size());
  // Parts by their number; a value without one (none in a plan run) makes a set of its own.
  std::map<std::int64_t, std::size_t> setOfPart;
  for (const auto& v : values) {
    if (v.Characteristic < 1 || v.Characteristic > count) continue;
    const auto c = static_cast<std::size_t>(v.Characteristic - 1);
    if (fromValues) {
      TDfqCharacteristic& ch = f.Characteristics[c];
      if (ch.Name.empty()) ch.Name = v.CharacteristicName.value_or(std::to_string(c + 1));
      ch.Decimals = std::max(ch.Decimals, TextDecimals(v.Text));
    }
    std::size_t set = f.Sets.size();
    if (v.Part) {
      const auto [it, added] = setOfPart.emplace(*v.Part, f.Sets.size());
      set = it->second;
      if (!added && f.Sets[set].Values[c]) {
        // A second value of the part's characteristic: the later one counts.
        f.Sets[set].Values[c] = value(v);
        continue;
      }
    }
    if (set == f.Sets.size())
      f.Sets.push_back({std::vector<std::optional<TDfqValue>>(static_cast<std::size_t>(count))});
    f.Sets[set].Values[c] = value(v);
  }
  return true;
}

bool RecordFileSource(const std::string& path, TDfqSource& out, std::string& error) {
  analysis::TValueFile file;
  if (!analysis::ReadValueFile(path, 0, file, error)) return false;
  const std::string date = analysis::RunDateFromName(path);
  TDfqCharacteristic c{Stem(path), 0, std::nullopt, std::nullopt, std::nullopt, ""};
  out.File.PartNumber = Stem(path);
  out.Name = DfqFileName(path);
  out.ValueCount = static_cast<int>(file.Values.size());
  for (std::size_t i = 0; i < file.Values.size(); ++i) {
    // The reader gives numbers, not the row's text: the shortest text stands for the gauge's.
    const std::string text = ValueText("", file.Values[i]);
    c.Decimals = std::max(c.Decimals, TextDecimals(text));
    const std::string time = i < file.Times.size() ? file.Times[i] : "";
    out.File.Sets.push_back({{TDfqValue{text, RowTime(date, time), file.Batch, ""}}});
  }
  out.File.Characteristics = {c};
  return true;
}

}  // namespace pzam::dfq
