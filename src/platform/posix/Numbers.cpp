#include "platform/Numbers.h"

#include <charconv>

namespace pzam::platform {

std::errc ReadLongDouble(const char* first, const char* last, long double& v) {
  const auto r = std::from_chars(first, last, v);
  if (r.ec == std::errc() && r.ptr != last) return std::errc::invalid_argument;
  return r.ec;
}

}  // namespace pzam::platform
