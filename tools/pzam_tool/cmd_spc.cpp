// pzam-tool spc: the capability figures, control limits and run rules of a run's values, one
// `name=value` line each. The values come from a file (a record file or one number per line), from
// the station's journal (--run) or from the central store (--db with --run or --batch).
#include <iostream>
#include <optional>

#include "Command.h"
#include "FigureText.h"
#include "SpcSources.h"
#include "ToolArgs.h"
#include "analysis/Capability.h"
#include "analysis/ReportHook.h"
#include "analysis/ValueFile.h"
#include "common/RunId.h"
#include "measurement/NumberText.h"

namespace pzam::tool {
namespace {

using namespace pzam::analysis;

constexpr const char* kUsage =
    "spc [--lsl X] [--usl X] [--decimal C] [--report FILE.pdf] FILE | --run RUN_ID [--config "
    "FILE] [--characteristic N] | --db CONNINFO (--run RUN_ID | --batch TEXT [--station NAME])  "
    "capability figures of a record file, a journaled run, or a run or batch in the central "
    "store";

struct TSpcOptions {
  TTolerance Tolerance;
  char Decimal = 0;  // 0: detected from the first value
  std::optional<std::string> Report;
  std::string File;
  // The other sources: the journal (--run) or the central store (--db).
  std::optional<std::string> Run, Db, Batch, Station, Config;
  int Characteristic = 0;  // of a journaled plan run; 0 none given
};

// Reads the arguments; an empty result is success, otherwise the reason.
std::string ParseOptions(const TArgs& args, TSpcOptions& o) {
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--lsl" || a == "--usl" || a == "--decimal" || a == "--report" || a == "--run" ||
        a == "--db" || a == "--batch" || a == "--station" || a == "--config" ||
        a == "--characteristic") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const std::string& v = args[++i];
      if (std::string error; a == "--characteristic") {
        if (!ParseCharacteristic(v, o.Characteristic, error)) return error;
      } else if (a == "--run" || a == "--db" || a == "--batch" || a == "--station" ||
                 a == "--config") {
        auto& field = a == "--run"       ? o.Run
                      : a == "--db"      ? o.Db
                      : a == "--batch"   ? o.Batch
                      : a == "--station" ? o.Station
                                         : o.Config;
        if (field) return a + " given twice";
        field = v;
      } else if (a == "--decimal") {
        if (v.size() != 1 || v == " " || std::string("0123456789+-eE").find(v[0]) != v.npos)
          return "--decimal must be one character other than a digit, sign, blank or exponent";
        o.Decimal = v[0];
      } else if (a == "--report") {
        if (v.empty()) return "--report needs a file name";
        o.Report = v;
      } else {
        long double x = 0;
        if (!measurement::TryStrToFloat(v, '.', x)) return a + " '" + v + "' is not a number";
        (a == "--lsl" ? o.Tolerance.Lower : o.Tolerance.Upper) = static_cast<double>(x);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else if (haveFile) {
      return "only one FILE";
    } else {
      o.File = a;
      haveFile = true;
    }
  }
  if (o.Run && !IsUuidText(*o.Run)) return "--run '" + *o.Run + "' is not a run id";
  if (o.Db) {
    if (haveFile || o.Config) return "--db takes no FILE and no --config";
    if (o.Characteristic != 0) return "--characteristic goes with a journaled run";
    if (o.Run.has_value() == o.Batch.has_value()) return "--db needs either --run or --batch";
    if (o.Station && !o.Batch) return "--station goes with --batch";
  } else if (o.Run) {
    if (haveFile || o.Batch || o.Station) return "--run takes no FILE, --batch or --station";
  } else if (o.Characteristic != 0) {
    return "--characteristic goes with --run";
  } else if (o.Batch || o.Station || o.Config) {
    return "--batch and --station need --db, --config needs --run";
  } else if (!haveFile) {
    return "no FILE given";
  }
  if ((o.Run || o.Db) && (o.Report || o.Decimal != 0))
    return "--report and --decimal go with a FILE";
  const TTolerance& t = o.Tolerance;
  if (t.Lower && t.Upper && !(*t.Lower < *t.Upper)) return "--lsl must be below --usl";
  if (o.Report && !ReportWriter()) return "--report: this pzam-tool is built without the report";
  return {};
}

std::string Number(const std::optional<double>& v) {
  return FigureText(v);
}

std::string Points(const std::vector<int>& points) {
  std::string out;
  for (int p : points) out += (out.empty() ? "" : ",") + std::to_string(p);
  return out;
}

int Spc(const TArgs& args) {
  TSpcOptions o;
  if (const std::string problem = ParseOptions(args, o); !problem.empty()) {
    std::cerr << "pzam-tool spc: " << problem << '\n';
    return 2;
  }
  TValueFile file;
  std::string error;
  std::string source = o.File;
  if (o.Run || o.Db) {
    TSpcValues values;
    int code = 1;
    if (o.Db) {
#ifdef PZAM_HAVE_CENTRAL
      code = DatabaseValues(*o.Db, o.Run, o.Batch, o.Station, values, error) ? 0 : 1;
#else
      error = "this pzam-tool is built without the central store";
#endif
      source = o.Run ? "run " + *o.Run : "batch '" + *o.Batch + "'";
    } else {
      code = JournalValues(StationJournalPath(o.Config.value_or("")), *o.Run, o.Characteristic,
                           values, error);
      source = "run " + *o.Run;
    }
    if (code != 0) {
      std::cerr << "pzam-tool spc: " << error << '\n';
      return code;
    }
    file.Values = std::move(values.Values);
    if (!o.Tolerance.Lower && !o.Tolerance.Upper) o.Tolerance = values.Tolerance;
  } else if (!ReadValueFile(o.File, o.Decimal, file, error)) {
    std::cerr << "pzam-tool spc: " << error << '\n';
    return 1;
  }
  if (file.Values.empty()) {
    std::cerr << "pzam-tool spc: '" << source << "' holds no value\n";
    return 1;
  }
  const TFigures f = ComputeFigures(file.Values, o.Tolerance);
  std::cout << "n=" << f.N << "\nmean=" << Number(f.Mean) << "\ns=" << Number(f.S)
            << "\nmr_bar=" << Number(f.MrBar) << "\nsigma_within=" << Number(f.SigmaWithin)
            << "\nucl=" << Number(f.Ucl) << "\nlcl=" << Number(f.Lcl)
            << "\nmr_ucl=" << Number(f.MrUcl) << "\nlsl=" << Number(o.Tolerance.Lower)
            << "\nusl=" << Number(o.Tolerance.Upper) << "\ncp=" << Number(f.Cp)
            << "\ncpk=" << Number(f.Cpk) << "\npp=" << Number(f.Pp) << "\nppk=" << Number(f.Ppk)
            << "\nbelow_lsl=" << f.BelowLsl << "\nabove_usl=" << f.AboveUsl
            << "\nin_tolerance=" << f.InTolerance;
  for (std::size_t r = 0; r < f.Rules.size(); ++r)
    std::cout << "\nrule" << r + 1 << '=' << Points(f.Rules[r]);
  std::cout << '\n' << std::flush;
  if (o.Report) {
    if (!ReportWriter()(*o.Report, o.File, file, o.Tolerance, error)) {
      std::cerr << "pzam-tool spc: " << error << '\n';
      return 1;
    }
  }
  return 0;
}

TCommand reg("spc", kUsage, &Spc);

}  // namespace
}  // namespace pzam::tool
