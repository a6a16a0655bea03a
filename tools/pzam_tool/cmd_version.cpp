// pzam-tool version: prints the version text of an executable (default: this one).
#include <fstream>
#include <iostream>

#include "Command.h"
#include "common/Paths.h"
#include "config/VersionText.h"
#include "platform/Folders.h"

namespace {

int Version(const pzam::tool::TArgs& args) {
  if (args.size() > 1) {
    std::cerr << "usage: pzam-tool version [PATH]\n";
    return 2;
  }
  const std::string path = args.empty() ? pzam::ExecutablePath() : args[0];
  if (!std::ifstream(pzam::platform::FsPath(path), std::ios::binary)) {
    std::cerr << "pzam-tool version: cannot read '" << path << "'\n";
    return 1;
  }
  std::cout << pzam::ReadVersionText(path) << '\n';
  return 0;
}

pzam::tool::TCommand reg("version", "version [PATH]  print the version text of an executable",
                         &Version);

}  // namespace
