// Reading a number text into the 80-bit long double, exactly rounded. The C++ library's
// from_chars does that with glibc; MinGW's reads a long double only to double precision
// ("12.345" would become 12.3450000000000006395), so Windows reads with strtold.
#pragma once

#include <system_error>

namespace pzam::platform {

// text: a number in the C form ("-12.345", "1e-5"), already checked by the caller, read whole.
// Returns no error, invalid_argument (not read whole) or result_out_of_range (v is then 0 for
// an underflow, infinite for an overflow).
std::errc ReadLongDouble(const char* first, const char* last, long double& v);

}  // namespace pzam::platform
