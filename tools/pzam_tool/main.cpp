// pzam-tool: the program's core on the command line (language texts, replays, ports, runs).
#include <algorithm>
#include <iostream>

#include "Command.h"

int main(int argc, char** argv) {
  using pzam::tool::Commands;
  auto commands = Commands();
  std::sort(commands.begin(), commands.end(),
            [](const auto& a, const auto& b) { return a.Name < b.Name; });
  if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
    std::ostream& out = argc < 2 ? std::cerr : std::cout;
    out << "usage: pzam-tool COMMAND [ARGS...]\n\ncommands:\n";
    for (const auto& c : commands) out << "  " << c.Usage << "\n";
    return argc < 2 ? 2 : 0;
  }
  const std::string name = argv[1];
  for (const auto& c : commands) {
    if (c.Name == name) return c.Fn(pzam::tool::TArgs(argv + 2, argv + argc));
  }
  std::cerr << "pzam-tool: unknown command '" << name << "' (try --help)\n";
  return 2;
}
