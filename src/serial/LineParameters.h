// The line parameters each operating mode puts on the port: the one definition the settings
// window and pzam-tool measure share.
#pragma once

namespace pzam::serial {

class TSerial;

// Operating mode 0: event character 23, 9600 baud, 8 data bits, no parity, 1 stop bit, DTR off,
// RTS as it is. Modes 2 and 3: event character 13, 4800 baud, 7 data bits, even parity, 2 stop
// bits, DTR on, RTS off with cable type 0 (Duplex), on with 1 (Simplex), as it is with any other.
// Mode 1, no mode (-1) and any other value change nothing. Baud rate and parity go through the
// port's setters; the new values take effect at the next opening.
void ApplyLineParameters(TSerial& serial, int operatingMode, int cableType);

}  // namespace pzam::serial
