// pzam-tool text: prints language texts as the program shows them, for checking a language file.
#include <charconv>
#include <iostream>

#include "Command.h"
#include "common/Paths.h"
#include "config/Language.h"
#include "config/TextIds.h"

namespace {

bool ParseId(const std::string& s, int& id) {
  const auto* end = s.data() + s.size();
  const auto [ptr, ec] = std::from_chars(s.data(), end, id);
  return ec == std::errc() && ptr == end && !s.empty();
}

int Text(const pzam::tool::TArgs& args) {
  std::string language = "deutsch";
  bool all = false;
  std::vector<int> ids;
  for (std::size_t i = 0; i < args.size(); ++i) {
    int id = 0;
    if (args[i] == "--language" && i + 1 < args.size()) {
      language = args[++i];
    } else if (args[i] == "--all") {
      all = true;
    } else if (ParseId(args[i], id)) {
      ids.push_back(id);
    } else {
      std::cerr << "pzam-tool text: not a text id: '" << args[i] << "'\n";
      return 2;
    }
  }
  if (ids.empty() && !all) {
    std::cerr << "usage: pzam-tool text [--language NAME] (--all | ID...)\n";
    return 2;
  }
  pzam::TLanguageTexts texts;
  texts.Load(pzam::ExecutableDir(), language);
  if (all)
    for (int id : pzam::textid::kAll) std::cout << id << '\t' << texts.Text(id) << '\n';
  for (int id : ids) std::cout << texts.Text(id) << '\n';
  return 0;
}

pzam::tool::TCommand reg("text", "text [--language NAME] (--all | ID...)  print language texts",
                         &Text);

}  // namespace
