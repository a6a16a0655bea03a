#include "common/Paths.h"

#include <unistd.h>

#include <climits>

namespace pzam {

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

std::string DirectoryOf(const std::string& path) {
  const auto pos = path.find_last_of('/');
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExecutableDir() {
  return DirectoryOf(ExecutablePath());
}

}  // namespace pzam
