#include "analysis/ui/ToleranceSettings.h"

#include "config/Profile.h"

namespace pzam::analysis {

TToleranceTexts ReadToleranceTexts(const std::string& path) {
  using namespace settings;
  return {ReadProfileString(path, kTolerance, kNominal, ""),
          ReadProfileString(path, kTolerance, kLower, ""),
          ReadProfileString(path, kTolerance, kUpper, "")};
}

void WriteToleranceTexts(const std::string& path, const TToleranceTexts& texts) {
  using namespace settings;
  WriteProfileString(path, kTolerance, kNominal, texts.Nominal);
  WriteProfileString(path, kTolerance, kLower, texts.Lower);
  WriteProfileString(path, kTolerance, kUpper, texts.Upper);
}

}  // namespace pzam::analysis
