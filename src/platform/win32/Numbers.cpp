#include "platform/Numbers.h"

#include <cerrno>
#include <cstdlib>
#include <string>

namespace pzam::platform {

std::errc ReadLongDouble(const char* first, const char* last, long double& v) {
  const std::string text(first, last);  // strtold needs the terminating zero
  char* end = nullptr;
  errno = 0;
  const long double r = std::strtold(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return std::errc::invalid_argument;
  if (errno == ERANGE) {
    v = r;
    return std::errc::result_out_of_range;
  }
  v = r;
  return std::errc();
}

}  // namespace pzam::platform
