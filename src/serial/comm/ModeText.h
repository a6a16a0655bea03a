// Parsing of a port mode text into a DCB, as BuildCommDCB does it.
#pragma once

#include <string>

#include "serial/comm/CommApi.h"

namespace pzam::comm {

// Accepts the keyword form "baud=9600 parity=N data=8 stop=1 [xon=on] [odsr=on] [octs=on]
// [dtr=on|off|hs] [rts=on|off|hs] [idsr=on]" and the short form "[COMn:]9600,n,8,1[,x|p]"
// (two-digit baud abbreviations such as 96 for 9600 included). Keywords are case-insensitive.
// The DCB is changed only when the whole text is accepted; flow control is switched off first,
// and 110 baud without a stop value gives two stop bits.
bool ParseModeText(const std::string& text, DCB& dcb);

}  // namespace pzam::comm
