// The last-error record of the POSIX comm backend: an ERROR_ number and the system's words,
// kept per thread as GetLastError is on Windows.
#pragma once

#include <cstdint>
#include <string>

namespace pzam::comm {

// Stores code and text as the calling thread's last error.
void SetCommError(uint32_t code, const std::string& text);
// Stores the ERROR_ number for errno err and the system's text for it.
void SetCommErrno(int err);
// Clears the calling thread's last error (ERROR_SUCCESS, empty text).
void ClearCommErrorState();
uint32_t LastCommError();
std::string LastCommErrorText();

// The words for a device that could not be opened: the system's text and the device; for
// permission denied also the group the user must belong to (the device's group, e.g. dialout).
std::string OpenErrorText(int err, const std::string& device);

// The ERROR_ number a Windows serial driver reports where the system reports errno err.
uint32_t ErrorFromErrno(int err);

}  // namespace pzam::comm
