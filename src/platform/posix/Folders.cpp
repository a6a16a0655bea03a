#include "platform/Folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/Users.h"

namespace pzam::platform {

namespace {

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

bool IsPathSeparator(char c) {
  return c == '/';
}

char PreferredSeparator() {
  return '/';
}

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(utf8);
}

std::string Utf8Path(const std::filesystem::path& path) {
  return path.string();
}

std::string ExecutablePath() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return std::string(buf, static_cast<std::size_t>(n));
}

bool FolderWritable(const std::string& dir) {
  return ::access(dir.empty() ? "." : dir.c_str(), W_OK) == 0;
}

bool CreateFolders(const std::string& dir) {
  for (std::size_t pos = 1; pos <= dir.size(); ++pos) {
    if (pos != dir.size() && dir[pos] != '/') continue;
    const std::string part = dir.substr(0, pos);
    struct stat st {};
    if (::stat(part.c_str(), &st) == 0) {
      if (!S_ISDIR(st.st_mode)) return false;
      continue;
    }
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

TConfigEnvironment ConfigEnvironment() {
  TConfigEnvironment env{Environment("XDG_CONFIG_HOME"), Environment("HOME"), {}};
  if (env.Home.empty()) env.Home = HomeFolder();
  return env;
}

std::string UserConfigFolderFor(const TConfigEnvironment& env) {
  if (env.XdgConfigHome.starts_with('/')) return WithSeparator(env.XdgConfigHome) + "pzam/";
  if (!env.Home.empty()) return WithSeparator(env.Home) + ".config/pzam/";
  return {};
}

}  // namespace pzam::platform
