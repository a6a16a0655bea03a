// A fresh folder for one test, made and removed through the standard library's wide paths, so the
// platform tests need nothing of POSIX and run under Windows as they are.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/Files.h"
#include "platform/Folders.h"

namespace pzam::platform::test {

class TScratch {
 public:
  TScratch() {
    static std::atomic<int> next{0};
    FDir = std::filesystem::temp_directory_path() /
           ("pzam-platform-" + std::to_string(ProcessId()) + "-" + std::to_string(next++));
    std::filesystem::remove_all(FDir);
    std::filesystem::create_directories(FDir);
  }
  ~TScratch() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(FDir, ec))
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(FDir, ec);
  }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;

  // The UTF-8 path of name in the folder.
  std::string File(const std::string& name) const {
    return Utf8Path(FDir) + PreferredSeparator() + name;
  }
  std::string Path() const { return Utf8Path(FDir) + PreferredSeparator(); }

 private:
  std::filesystem::path FDir;
};

inline void Put(const std::string& utf8Path, const std::string& content) {
  std::ofstream(FsPath(utf8Path), std::ios::binary) << content;
}

inline std::string Get(const std::string& utf8Path) {
  std::ifstream in(FsPath(utf8Path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes content into a new file through the platform's calls.
inline bool Write(const std::string& utf8Path, TOpenMode mode, const std::string& content) {
  const int fd = OpenForWriting(utf8Path, mode);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, content) && SyncData(fd);
  return CloseFile(fd) && ok;
}

}  // namespace pzam::platform::test
