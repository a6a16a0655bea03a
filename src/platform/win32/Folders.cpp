#include "platform/Folders.h"

#include <shlobj.h>
#include <windows.h>

#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/Users.h"
#include "platform/win32/Wide.h"

namespace pzam::platform {

using win32::Utf8;
using win32::Wide;

namespace {

std::string WithSeparator(std::string dir) {
  if (!dir.empty() && !IsPathSeparator(dir.back())) dir += '\\';
  return dir;
}

std::string Environment(const wchar_t* name) {
  return Utf8(::_wgetenv(name));
}

// "C:\..." or a share's "\\server\...": the forms a profile folder takes.
bool IsAbsolute(const std::string& path) {
  const bool drive = path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) &&
                     path[1] == ':' && IsPathSeparator(path[2]);
  const bool share = path.size() >= 3 && IsPathSeparator(path[0]) && IsPathSeparator(path[1]) &&
                     !IsPathSeparator(path[2]);
  return drive || share;
}

}  // namespace

bool IsPathSeparator(char c) {
  return c == '\\' || c == '/';
}

char PreferredSeparator() {
  return '\\';
}

std::filesystem::path FsPath(const std::string& utf8) {
  return std::filesystem::path(Wide(utf8));
}

std::string Utf8Path(const std::filesystem::path& path) {
  return Utf8(path.native());
}

std::string ExecutablePath() {
  std::wstring buf(MAX_PATH, L'\0');
  while (true) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return {};
    if (n < buf.size()) return Utf8(buf.substr(0, n));
    buf.resize(buf.size() * 2);  // cut off: try with more room
  }
}

bool FolderWritable(const std::string& dir) {
  // A probe file that goes with its handle: the folder's access rules answer, whatever they say.
  const std::string probe = WithSeparator(dir.empty() ? std::string(".") : dir) + "~pzam-probe-" +
                            std::to_string(GetCurrentProcessId()) + ".tmp";
  const HANDLE file = CreateFileW(
      Wide(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return true;
  }
  return GetLastError() == ERROR_FILE_EXISTS;  // another probe of ours: the folder takes files
}

bool CreateFolders(const std::string& dir) {
  if (dir.empty()) return true;
  std::error_code ec;
  const std::filesystem::path path = FsPath(dir);
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

TConfigEnvironment ConfigEnvironment() {
  TConfigEnvironment env{{}, HomeFolder(), Environment(L"APPDATA")};
  if (env.AppData.empty()) {
    PWSTR folder = nullptr;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder)))
      env.AppData = Utf8(folder);
    CoTaskMemFree(folder);
  }
  return env;
}

std::string UserConfigFolderFor(const TConfigEnvironment& env) {
  if (!IsAbsolute(env.AppData)) return {};
  return WithSeparator(env.AppData) + "pzam\\";
}

}  // namespace pzam::platform
