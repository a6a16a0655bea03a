// Subcommands of pzam-tool. Each lives in a source file of its own and registers itself with a
// static TCommand object, so adding one touches no other file but the CMake list.
#pragma once

#include <string>
#include <vector>

namespace pzam::tool {

using TArgs = std::vector<std::string>;
// Runs the subcommand with the arguments after its name; returns the exit code.
using TCommandFn = int (*)(const TArgs& args);

struct TCommand {
  TCommand(const char* name, const char* usage, TCommandFn fn);
};

struct TCommandEntry {
  std::string Name;
  std::string Usage;
  TCommandFn Fn;
};

const std::vector<TCommandEntry>& Commands();

}  // namespace pzam::tool
