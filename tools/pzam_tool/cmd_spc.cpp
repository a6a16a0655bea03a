// pzam-tool spc: the capability figures, control limits and run rules of a file of values (a
// record file or one number per line), one `name=value` line each.
#include <charconv>
#include <iostream>
#include <optional>

#include "Command.h"
#include "analysis/Capability.h"
#include "analysis/ReportHook.h"
#include "analysis/ValueFile.h"
#include "measurement/NumberText.h"

namespace pzam::tool {
namespace {

using namespace pzam::analysis;

constexpr const char* kUsage =
    "spc [--lsl X] [--usl X] [--decimal C] [--report FILE.pdf] FILE  capability figures of a "
    "record file";

struct TSpcOptions {
  TTolerance Tolerance;
  char Decimal = 0;  // 0: detected from the first value
  std::optional<std::string> Report;
  std::string File;
};

// Reads the arguments; an empty result is success, otherwise the reason.
std::string ParseOptions(const TArgs& args, TSpcOptions& o) {
  bool haveFile = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--lsl" || a == "--usl" || a == "--decimal" || a == "--report") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const std::string& v = args[++i];
      if (a == "--decimal") {
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
  if (!haveFile) return "no FILE given";
  const TTolerance& t = o.Tolerance;
  if (t.Lower && t.Upper && !(*t.Lower < *t.Upper)) return "--lsl must be below --usl";
  if (o.Report && !ReportWriter()) return "--report: this pzam-tool is built without the report";
  return {};
}

// "%.10g" in the C locale, whatever the process locale; "-" for a missing figure.
std::string Number(const std::optional<double>& v) {
  if (!v) return "-";
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, *v, std::chars_format::general, 10);
  return std::string(buffer, r.ptr);
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
  if (!ReadValueFile(o.File, o.Decimal, file, error)) {
    std::cerr << "pzam-tool spc: " << error << '\n';
    return 1;
  }
  if (file.Values.empty()) {
    std::cerr << "pzam-tool spc: '" << o.File << "' holds no value\n";
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
