// pzam-tool: the program's core on the command line (language texts, replays, ports, runs).
#include <algorithm>
#include <iostream>

#include "Command.h"
#include "platform/CommandLine.h"

int main(int argc, char** argv) {
  using pzam::tool::Commands;
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return a.Name < b.Name; });
  // UTF-8 on every system, so batch numbers and paths with umlauts arrive whole.
  pzam::platform::UseStandardStreamsAsBytes();
  const std::vector<std::string> args = pzam::platform::CommandLineArguments(argc, argv);
  if (args.empty() || args[0] == "--help" || args[0] == "-h") {
    std::ostream& out = args.empty() ? std::cerr : std::cout;
    out << "usage: pzam-tool COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& c : commands) out << "  " << c.Usage << "\n";
    return args.empty() ? 2 : 0;
  }
  const std::string& name = args[0];
  for (const auto& c : commands) {
    if (c.Name == name) return c.Fn(pzam::tool::TArgs(args.begin() + 1, args.end()));
  }
  std::cerr << "pzam-tool: unknown command '" << name << "' (try --help)\n";
  return 2;
}
