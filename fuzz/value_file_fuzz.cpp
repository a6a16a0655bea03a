// Fuzzes the value-file reader with any bytes as a worksheet, a record text file or a file of
// numbers, and the figures and histogram over whatever values it reads.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <string>

#include "analysis/Capability.h"
#include "analysis/ValueFile.h"

using namespace pzam::analysis;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte picks the file name and the separator.
  const char* names[] = {"r.xls", "r.csv", "values.txt", "values"};
  const char decimals[] = {0, ',', '.', 0};
  const std::string name = names[data[0] & 3];
  const char decimal = decimals[(data[0] >> 2) & 3];
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  TValueFile file;
  std::string error;
  if (!ParseValueFile(bytes, name, decimal, file, error)) {
    if (error.empty() || error.find('\n') != std::string::npos) std::abort();
    return 0;
  }
  const int n = static_cast<int>(file.Values.size());
  // A record file gives every value its time; a text file of numbers gives none.
  const bool record = file.Kind != TValueFileKind::Text;
  if (file.Times.size() != (record ? file.Values.size() : 0)) std::abort();
  if (!record && !file.Batch.empty()) std::abort();
  for (double v : file.Values)
    if (!std::isfinite(v)) std::abort();
  const TTolerance tolerance{std::nullopt, -1.0, 1.0};
  const TFigures f = ComputeFigures(file.Values, tolerance);
  if (f.N != n || f.BelowLsl + f.AboveUsl + f.InTolerance != n) std::abort();
  for (const auto& rule : f.Rules) {
    for (std::size_t i = 0; i < rule.size(); ++i) {
      if (rule[i] < 1 || rule[i] > n || (i > 0 && rule[i] <= rule[i - 1])) std::abort();
    }
  }
  const THistogram h = MakeHistogram(file.Values);
  if (std::accumulate(h.Counts.begin(), h.Counts.end(), 0) != n || h.Counts.size() > 50)
    std::abort();
  if (n > 0 && !(h.Width > 0)) std::abort();
  if (ValueResolution(file.Values) < 0) std::abort();
  return 0;
}
