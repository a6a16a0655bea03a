#include "common/Paths.h"

#include "platform/Folders.h"

namespace pzam {

std::string ExecutablePath() {
  return platform::ExecutablePath();
}

std::string DirectoryOf(const std::string& path) {
  for (std::size_t pos = path.size(); pos > 0; --pos)
    if (platform::IsPathSeparator(path[pos - 1])) return path.substr(0, pos);
  return {};
}

std::string ExecutableDir() {
  return DirectoryOf(ExecutablePath());
}

}  // namespace pzam
