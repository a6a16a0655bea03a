// A fresh directory for one test, removed with everything in it afterwards; and reading and
// writing whole files in it.
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace pzam::test {

class TTempDir {
 public:
  TTempDir() {
    // A new name each try: create_directory fails on a name that exists, so two tests never
    // share a folder.
    std::random_device random;
    std::error_code ec;
    const auto base = std::filesystem::temp_directory_path(ec);
    if (ec) return;  // Dir() and Path() stay empty
    for (int attempt = 0; attempt < 100; ++attempt) {
      char name[32];
      std::snprintf(name, sizeof name, "pzam-%08x", static_cast<unsigned>(random()));
      if (std::filesystem::create_directory(base / name, ec)) {
        FDir = base / name;
        std::filesystem::permissions(FDir, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, ec);
        FPath = FDir.string() + char(std::filesystem::path::preferred_separator);
        return;
      }
    }
  }
  ~TTempDir() {
    if (FDir.empty()) return;
    // A test may have taken away the owner's rights to check refused writes.
    std::error_code ec;
    std::filesystem::permissions(FDir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(FDir, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The directory, ending in the system's separator ("/"; "\\" on Windows, as the program joins
  // folder and file names there).
  const std::string& Path() const { return FPath; }
  // The directory, without the final "/".
  const std::filesystem::path& Dir() const { return FDir; }
  std::string File(const std::string& name) const { return FPath + name; }

 private:
  std::filesystem::path FDir;
  std::string FPath;
};

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

inline std::string FileContent(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace pzam::test
