#include "ToolArgs.h"

#include "config/SettingsFile.h"
#include "plant/JournalPath.h"

namespace pzam::tool {

bool ParseArgs(const TArgs& args, const std::set<std::string>& known, TParsedArgs& out,
               std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a.size() < 2 || a[0] != '-') {
      out.Plain.push_back(a);
      continue;
    }
    if (known.count(a) == 0) {
      error = "unknown option " + a;
      return false;
    }
    if (i + 1 >= args.size()) {
      error = a + " needs a value";
      return false;
    }
    if (!out.Options.emplace(a, args[++i]).second) {
      error = a + " given twice";
      return false;
    }
  }
  return true;
}

std::string StationJournalPath(const std::string& config) {
  return plant::StationJournalOf(config.empty() ? SettingsFilePath() : config);
}

}  // namespace pzam::tool
