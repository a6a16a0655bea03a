// Writing a whole buffer to a file descriptor.
#pragma once

#include <string_view>

namespace pzam {

// Writes every byte, going on after interrupted and partial writes. False with errno set when a
// write fails; a write that takes nothing counts as a full disk (ENOSPC) rather than being retried.
bool WriteAll(int fd, std::string_view bytes);

}  // namespace pzam
