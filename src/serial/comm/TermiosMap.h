// The mapping of a DCB onto termios, as a Windows serial driver would apply the DCB.
#pragma once

#include <termios.h>

#include <cstdint>

#include "serial/comm/CommApi.h"

namespace pzam::comm {

// Raw mode: no line editing, no signals, no translation, 8 bits, receiver on, modem lines
// ignored for opening; reads return as soon as one byte is there.
void MakeRaw(termios& tio);

// Checks dcb and writes its framing and flow control into tio (the speed is left to
// SetDcbSpeed). Returns ERROR_SUCCESS, ERROR_INVALID_PARAMETER (4 data bits, 1.5 stop bits
// with more than 5 data bits, 2 stop bits with 5, codes out of range, equal XON and XOFF
// characters with XON/XOFF on) or ERROR_NOT_SUPPORTED (DTR/DSR handshake, which Linux lacks).
// With parity checking on, bytes with errors and breaks are marked in the input (PARMRK).
uint32_t DcbToTermios(const DCB& dcb, termios& tio);

// The B-constant for a standard rate, or 0 when the rate needs the termios2 way.
speed_t StandardSpeed(uint32_t baud);

// True for the slave side of a pseudo-terminal.
bool IsPseudoTerminal(int fd);

// Applies dcb to the open terminal fd: framing, speed (rates the driver cannot come within 3%
// of fail with ERROR_INVALID_PARAMETER and leave the line as it was), then DTR and RTS as the
// DCB's line control says (ignored where the device has no modem lines). Returns an ERROR_
// number; on failure the calling thread's last error is set.
uint32_t ApplyDcb(int fd, const DCB& dcb);

}  // namespace pzam::comm
