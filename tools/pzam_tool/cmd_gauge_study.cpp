// pzam-tool gauge-study: the type 1 study of a reference part's values, one `name=value` line
// per figure. The values come from a file (a record file or one number per line) or from the
// station's journal (--run), as for spc.
#include <iostream>

#include "Command.h"
#include "FigureText.h"
#include "SpcSources.h"
#include "ToolArgs.h"
#include "analysis/GaugeStudy.h"
#include "analysis/ValueFile.h"
#include "common/RunId.h"
#include "measurement/NumberText.h"

namespace pzam::tool {
namespace {

using namespace pzam::analysis;

constexpr const char* kUsage =
    "gauge-study --reference X --tolerance T [--k PERCENT] [--l 6|4] [--decimal C] FILE | "
    "--run RUN_ID [--config FILE] [--characteristic N]  type 1 gauge study (Cg, Cgk, bias test) of "
    "a reference part's values";

struct TStudyOptions {
  TStudyInputs Inputs;
  char Decimal = 0;  // 0: detected from the first value
  std::string File;
  std::optional<std::string> Run, Config;
  int Characteristic = 0;  // of a journaled plan run; 0 none given
};

bool Number(const std::string& text, double& out) {
  long double x = 0;
  if (!measurement::TryStrToFloat(text, '.', x)) return false;
  out = static_cast<double>(x);
  return true;
}

// Reads the arguments; an empty result is success, otherwise the reason.
std::string ParseOptions(const TArgs& args, TStudyOptions& o) {
  TParsedArgs parsed;
  std::string error;
  if (!ParseArgs(args,
                 {"--reference", "--tolerance", "--k", "--l", "--decimal", "--run", "--config",
                  "--characteristic"},
                 parsed, error))
    return error;
  for (const char* name : {"--reference", "--tolerance"}) {
    if (!parsed.Has(name)) return std::string(name) + " is missing";
  }
  double x = 0;
  if (!Number(parsed.Get("--reference"), x))
    return "--reference '" + parsed.Get("--reference") + "' is not a number";
  o.Inputs.Reference = x;
  if (!Number(parsed.Get("--tolerance"), x) || !(x > 0))
    return "--tolerance must be a number above 0";
  o.Inputs.Tolerance = x;
  if (parsed.Has("--k")) {
    if (!Number(parsed.Get("--k"), o.Inputs.K) || !(o.Inputs.K > 0 && o.Inputs.K <= 100))
      return "--k must be a percentage above 0 and at most 100";
  }
  if (parsed.Has("--l")) {
    const std::string l = parsed.Get("--l");
    if (l != "6" && l != "4") return "--l must be 6 or 4";
    o.Inputs.L = l[0] - '0';
  }
  if (parsed.Has("--decimal")) {
    const std::string v = parsed.Get("--decimal");
    if (v.size() != 1 || v == " " || std::string("0123456789+-eE").find(v[0]) != v.npos)
      return "--decimal must be one character other than a digit, sign, blank or exponent";
    o.Decimal = v[0];
  }
  if (parsed.Has("--run")) o.Run = parsed.Get("--run");
  if (parsed.Has("--config")) o.Config = parsed.Get("--config");
  if (parsed.Has("--characteristic")) {
    if (!ParseCharacteristic(parsed.Get("--characteristic"), o.Characteristic, error)) return error;
    if (!parsed.Has("--run")) return "--characteristic goes with --run";
  }
  if (parsed.Plain.size() > 1) return "only one FILE";
  const bool haveFile = parsed.Plain.size() == 1;
  if (haveFile) o.File = parsed.Plain[0];
  if (o.Run) {
    if (!IsUuidText(*o.Run)) return "--run '" + *o.Run + "' is not a run id";
    if (haveFile) return "--run takes no FILE";
    if (o.Decimal != 0) return "--decimal goes with a FILE";
  } else if (o.Config) {
    return "--config needs --run";
  } else if (!haveFile) {
    return "no FILE given";
  }
  return {};
}

int GaugeStudy(const TArgs& args) {
  TStudyOptions o;
  if (const std::string problem = ParseOptions(args, o); !problem.empty()) {
    std::cerr << "pzam-tool gauge-study: " << problem << '\n';
    return 2;
  }
  std::vector<double> values;
  std::string error;
  std::string source = o.File;
  if (o.Run) {
    TSpcValues journaled;
    if (const int code = JournalValues(StationJournalPath(o.Config.value_or("")), *o.Run,
                                       o.Characteristic, journaled, error);
        code != 0) {
      std::cerr << "pzam-tool gauge-study: " << error << '\n';
      return code;
    }
    values = std::move(journaled.Values);
    source = "run " + *o.Run;
  } else {
    TValueFile file;
    if (!ReadValueFile(o.File, o.Decimal, file, error)) {
      std::cerr << "pzam-tool gauge-study: " << error << '\n';
      return 1;
    }
    values = std::move(file.Values);
  }
  if (values.empty()) {
    std::cerr << "pzam-tool gauge-study: '" << source << "' holds no value\n";
    return 1;
  }
  const TStudyFigures f = ComputeGaugeStudy(values, o.Inputs);
  if (f.FewValues) {
    std::cerr << "pzam-tool gauge-study: " << f.N << (f.N == 1 ? " value" : " values")
              << ": a study needs " << kStudyMinimum << " to " << kStudyRecommended << '\n';
  }
  std::cout << "n=" << f.N << "\nmean=" << FigureText(f.Mean.Value)
            << "\ns=" << FigureText(f.S.Value) << "\nbias=" << FigureText(f.Bias.Value)
            << "\ncg=" << FigureText(f.Cg.Value) << "\ncgk=" << FigureText(f.Cgk.Value)
            << "\nt=" << FigureText(f.T.Value) << "\np=" << FigureText(f.P.Value)
            << "\nresolution=" << FigureText(f.Resolution.Value)
            << "\nresolution_share=" << FigureText(f.ResolutionShare.Value) << "\nverdict="
            << (!f.Capable   ? "-"
                : *f.Capable ? "capable"
                             : "not capable")
            << '\n'
            << std::flush;
  return 0;
}

TCommand reg("gauge-study", kUsage, &GaugeStudy);

}  // namespace
}  // namespace pzam::tool
