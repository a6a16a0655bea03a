#include "export/DfqOnEnd.h"

#include <algorithm>

#include "measurement/RecordFile.h"
#include "platform/Folders.h"

namespace pzam::dfq {

TDfqOnEnd::TDfqOnEnd(std::function<void(const std::string&)> report, std::string directory)
    : FReport(std::move(report)), FDirectory(std::move(directory)) {}

void TDfqOnEnd::RunStarted(const measurement::TRunStarted& run) {
  FActive = FEnabled;
  FValues.clear();
  if (FActive) FStart = run;
}

void TDfqOnEnd::ValueAccepted(const measurement::TValueAccepted& value) {
  if (FActive) FValues[value.Number] = value;
}

void TDfqOnEnd::ValueDiscarded(const measurement::TValueDiscarded& value) {
  FValues.erase(value.Number);
}

void TDfqOnEnd::RunEnded(const measurement::TRunEnded&) {
  if (!FActive) return;
  FActive = false;
  TDfqFile f;
  // The part name, else the plan's name, as the file from the journal names it.
  f.PartName = FStart.PartName.empty() ? FStart.PlanName : FStart.PartName;
  const bool plan = !FStart.Characteristics.empty();
  const std::string name = DfqFileName(
      measurement::RecordFileName(FStart.Start.Local, FStart.Batch, measurement::kSaveText));
  f.PartNumber = PartNumberOr(FStart.PartNumber, FStart.PlanName, name);
  if (plan) {
    for (const auto& c : FStart.Characteristics)
      f.Characteristics.push_back(
          {c.Name, c.Decimals, c.Tolerance.Nominal, c.Tolerance.Lower, c.Tolerance.Upper, c.Unit});
  } else {
    // Without a plan the run is one characteristic: its port, its tolerance.
    f.Characteristics = {{FStart.Port, 0, FStart.Tolerance.Nominal, FStart.Tolerance.Lower,
                          FStart.Tolerance.Upper, ""}};
  }
  const std::size_t count = f.Characteristics.size();
  std::map<int, std::size_t> setOfPart;
  for (const auto& [number, v] : FValues) {
    const auto c = static_cast<std::size_t>(v.Characteristic - 1);
    if (v.Characteristic < 1 || c >= count) continue;
    if (!plan)
      f.Characteristics[0].Decimals = std::max(f.Characteristics[0].Decimals, TextDecimals(v.Text));
    TDfqValue value{ValueText(v.Text, v.Value), v.Time.Local, FStart.Batch, v.PartId};
    std::size_t set = f.Sets.size();
    if (v.Part) set = setOfPart.emplace(*v.Part, f.Sets.size()).first->second;
    if (set == f.Sets.size()) f.Sets.push_back({std::vector<std::optional<TDfqValue>>(count)});
    f.Sets[set].Values[c] = std::move(value);
  }
  FValues.clear();
  const std::string path =
      FDirectory.empty()
          ? name
          : platform::Utf8Path(platform::FsPath(FDirectory) / platform::FsPath(name));
  std::vector<std::string> cuts;
  std::string error;
  if (!WriteDfqFile(path, f, cuts, error)) {
    FReport("transfer file: " + error);
    return;
  }
  FLastPath = path;
  for (const std::string& cut : cuts) FReport("transfer file " + name + ": " + cut);
}

}  // namespace pzam::dfq
