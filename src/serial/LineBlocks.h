// What an opening hands to the driver, as pure functions of the settings: the device name, the
// device control block and the time-out block.
#pragma once

#include <optional>
#include <string>

#include "serial/SerialTypes.h"
#include "serial/comm/CommApi.h"

namespace pzam::serial {

// The mode text the DCB is first built from.
inline constexpr const char* kBaseModeText = "baud=9600 parity=N data=8 stop=1";

// Device name an opening uses: "COM3" for ports 1 to 9, "\\.\COM12" above.
std::string OpenDeviceName(int port);

// dcb (as the platform built it) with every field but the reserved words set from the settings.
comm::DCB DcbFromSettings(const TSerialSettings& s, comm::DCB dcb);

// The time-out block, or none when both time-outs are 0 (the driver's stay in force).
std::optional<comm::COMMTIMEOUTS> TimeoutsFor(int32_t recTimeOut, int32_t trmTimeOut,
                                              int32_t baudrate);

}  // namespace pzam::serial
