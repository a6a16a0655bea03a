// Line speed in bits per second through the kernel's termios2 interface, which takes any rate
// (BOTHER) where the standard B-constants do not fit. Kept apart from <termios.h>, whose struct
// termios clashes with the kernel's.
#pragma once

#include <cstdint>

namespace pzam::comm {

// Sets input and output speed of fd to baud. Returns 0 or the errno of the failed call.
int SetLineSpeed(int fd, uint32_t baud);
// The output speed the driver reports for fd (after its rounding); 0 when it cannot be read.
uint32_t GetLineSpeed(int fd);

}  // namespace pzam::comm
