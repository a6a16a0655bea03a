#include <sys/stat.h>

#include "TestRights.h"

namespace pzam::test {

bool GiveRights(const std::string& path, TTestRights rights) {
  mode_t mode = 0600;
  switch (rights) {
    case TTestRights::OwnerReadWrite:
      break;
    case TTestRights::OwnerRead:
      mode = 0400;
      break;
    case TTestRights::OthersRead:
      mode = 0604;
      break;
  }
  return ::chmod(path.c_str(), mode) == 0;
}

}  // namespace pzam::test
