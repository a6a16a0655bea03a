// A fresh directory for one test, removed with everything in it afterwards; and reading and
// writing whole files in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace pzam::test {

class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "pzam-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return;  // Dir() and Path() stay empty
    FDir = pattern;
    FPath = pattern + '/';
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

  // The directory, ending in "/".
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
