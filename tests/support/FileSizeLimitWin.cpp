#include "support/FileSizeLimit.h"

namespace pzam::test {

TFileSizeLimit::TFileSizeLimit(std::uint64_t bytes) : FOld(bytes) {}

TFileSizeLimit::~TFileSizeLimit() = default;

bool TFileSizeLimit::Available() {
  return false;
}

}  // namespace pzam::test
