#include "Command.h"

namespace pzam::tool {

namespace {
std::vector<TCommandEntry>& Registry() {
  static std::vector<TCommandEntry> commands;
  return commands;
}
}  // namespace

TCommand::TCommand(const char* name, const char* usage, TCommandFn fn) {
  Registry().push_back({name, usage, fn});
}

const std::vector<TCommandEntry>& Commands() {
  return Registry();
}

}  // namespace pzam::tool
