#include "config/ExportSettings.h"

#include "config/Profile.h"
#include "config/ProfileText.h"

namespace pzam {

TExportSettings ReadExportSettings(const std::string& settingsPath) {
  TExportSettings e;
  std::string text;
  if (!ReadProfileText(settingsPath, text)) return e;
  const auto raw = profile::FindValue(text, settings::kExport, settings::kDfq);
  e.Dfq = raw && profile::ReturnedValue(*raw) == "1";
  return e;
}

}  // namespace pzam
