#include <sys/resource.h>

#include <csignal>

#include "support/FileSizeLimit.h"

namespace pzam::test {

TFileSizeLimit::TFileSizeLimit(std::uint64_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit lim{};
  getrlimit(RLIMIT_FSIZE, &lim);
  FOld = lim.rlim_cur;
  lim.rlim_cur = static_cast<rlim_t>(bytes);
  setrlimit(RLIMIT_FSIZE, &lim);
}

TFileSizeLimit::~TFileSizeLimit() {
  rlimit lim{};
  getrlimit(RLIMIT_FSIZE, &lim);
  lim.rlim_cur = static_cast<rlim_t>(FOld);
  setrlimit(RLIMIT_FSIZE, &lim);
}

bool TFileSizeLimit::Available() {
  return true;
}

}  // namespace pzam::test
