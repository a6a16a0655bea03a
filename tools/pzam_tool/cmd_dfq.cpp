// pzam-tool dfq: a transfer file (AQDEF .dfq) of a journaled run or of a record file, for the
// quality department's SPC system.
#include <iostream>

#include "Command.h"
#include "ToolArgs.h"
#include "common/RunId.h"
#include "export/DfqSources.h"
#include "measurement/NumberText.h"

namespace pzam::tool {
namespace {

constexpr const char* kUsage =
    "dfq [--config FILE] (--run RUN_ID | RECORD_FILE) [--part-number TEXT] [--part-name TEXT] "
    "[--characteristic TEXT] [--unit TEXT] [--nominal X] [--lsl X] [--usl X] [--output FILE.dfq]"
    "  a transfer file (AQDEF) of a journaled run or a record file";

// The options that describe the one characteristic of a run without a plan or a record file.
constexpr const char* kCharacteristicOptions[] = {"--characteristic", "--unit", "--nominal",
                                                  "--lsl", "--usl"};

int Fail(const std::string& problem, int code) {
  std::cerr << "pzam-tool dfq: " << problem << '\n';
  if (code == 2) std::cerr << "usage: pzam-tool " << kUsage << '\n';
  return code;
}

bool Number(const TParsedArgs& p, const char* name, std::optional<double>& out,
            std::string& error) {
  if (!p.Has(name)) return true;
  long double x = 0;
  if (!measurement::TryStrToFloat(p.Get(name), '.', x)) {
    error = std::string(name) + " '" + p.Get(name) + "' is not a number";
    return false;
  }
  out = static_cast<double>(x);
  return true;
}

int Dfq(const TArgs& args) {
  TParsedArgs p;
  std::string error;
  if (!ParseArgs(args,
                 {"--config", "--run", "--part-number", "--part-name", "--characteristic", "--unit",
                  "--nominal", "--lsl", "--usl", "--output"},
                 p, error))
    return Fail(error, 2);
  if (p.Has("--run") == !p.Plain.empty() || p.Plain.size() > 1)
    return Fail("give either --run RUN_ID or one RECORD_FILE", 2);
  if (p.Has("--run") && !IsUuidText(p.Get("--run")))
    return Fail("--run '" + p.Get("--run") + "' is not a run id", 2);
  if (p.Has("--config") && !p.Has("--run")) return Fail("--config goes with --run", 2);
  if (p.Has("--output") && p.Get("--output").empty()) return Fail("--output needs a name", 2);
  std::optional<double> nominal, lsl, usl;
  if (!Number(p, "--nominal", nominal, error) || !Number(p, "--lsl", lsl, error) ||
      !Number(p, "--usl", usl, error))
    return Fail(error, 2);
  if (lsl && usl && !(*lsl < *usl)) return Fail("--lsl must be below --usl", 2);

  dfq::TDfqSource source;
  const bool read = p.Has("--run") ? dfq::JournalSource(StationJournalPath(p.Get("--config")),
                                                        p.Get("--run"), source, error)
                                   : dfq::RecordFileSource(p.Plain[0], source, error);
  if (!read) return Fail(error, 1);
  if (source.ValueCount == 0)
    return Fail("'" + (p.Has("--run") ? "run " + p.Get("--run") : p.Plain[0]) + "' holds no value",
                1);

  dfq::TDfqFile& f = source.File;
  if (p.Has("--part-number")) f.PartNumber = p.Get("--part-number");
  if (p.Has("--part-name")) f.PartName = p.Get("--part-name");
  if (f.Characteristics.size() == 1) {
    dfq::TDfqCharacteristic& c = f.Characteristics[0];
    if (p.Has("--characteristic")) c.Name = p.Get("--characteristic");
    if (p.Has("--unit")) c.Unit = p.Get("--unit");
    if (nominal) c.Nominal = nominal;
    if (lsl) c.Lower = lsl;
    if (usl) c.Upper = usl;
    if (c.Lower && c.Upper && !(*c.Lower < *c.Upper))
      return Fail("the lower limit must be below the upper", 2);
  } else {
    for (const char* name : kCharacteristicOptions)
      if (p.Has(name))
        std::cerr << "pzam-tool dfq: " << name
                  << " ignored: the run has several characteristics (their plan's)\n";
  }
  const std::string output = p.Has("--output") ? p.Get("--output") : source.Name;
  std::vector<std::string> cuts;
  if (!dfq::WriteDfqFile(output, f, cuts, error)) return Fail(error, 1);
  for (const std::string& cut : cuts) std::cerr << "pzam-tool dfq: " << cut << '\n';
  std::cout << output << '\n';
  return 0;
}

TCommand reg("dfq", kUsage, &Dfq);

}  // namespace
}  // namespace pzam::tool
