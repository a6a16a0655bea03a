// CPU time of the whole process, user and system, for the tests that check idle cost.
#pragma once

#include <sys/resource.h>

#include <chrono>

namespace pzam::test {

inline std::chrono::microseconds ProcessCpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return std::chrono::seconds(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         std::chrono::microseconds(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

}  // namespace pzam::test
