// The settings file's [Export] section: the files written beside the record file at the end of a
// run. Read after the other sections; a file without the section keeps its bytes.
#pragma once

#include <string>

namespace pzam {

namespace settings {
inline constexpr char kExport[] = "Export";
inline constexpr char kDfq[] = "Dfq";
}  // namespace settings

struct TExportSettings {
  bool Dfq = false;  // Dfq=1: the run's transfer file (.dfq) at its end
};

TExportSettings ReadExportSettings(const std::string& settingsPath);

}  // namespace pzam
