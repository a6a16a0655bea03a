// Lets writes fail past a size in this process, as a full disk does (the file size limit of the
// process on Linux). Windows has no such limit: there Available() is false and the tests that
// need it are skipped.
#pragma once

#include <cstdint>
#include <memory>

namespace pzam::test {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(std::uint64_t bytes);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  static bool Available();

 private:
  std::uint64_t FOld = 0;
};

}  // namespace pzam::test
