// The plant subcommands' arguments: "--name value" options and plain arguments, and the journal
// of the settings file in use.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "Command.h"

namespace pzam::tool {

struct TParsedArgs {
  std::map<std::string, std::string> Options;  // "--name" -> value
  std::vector<std::string> Plain;
  bool Has(const std::string& name) const { return Options.count(name) != 0; }
  std::string Get(const std::string& name) const {
    const auto it = Options.find(name);
    return it == Options.end() ? std::string() : it->second;
  }
};

// Every option takes a value; one not in `known`, or given twice, is refused with the reason.
bool ParseArgs(const TArgs& args, const std::set<std::string>& known, TParsedArgs& out,
               std::string& error);

// The station's journal of the settings file `config` names, or of the settings file the
// program uses when `config` is empty: its [Plant] Journal, else the one beside it.
std::string StationJournalPath(const std::string& config);

}  // namespace pzam::tool
