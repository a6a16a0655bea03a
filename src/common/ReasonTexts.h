// Reasons the program words itself (rather than the system), in the operator's language. The
// program hands over its language texts once it has loaded them; before that, and for a text the
// language file lacks, the built-in English wording holds.
#pragma once

#include <functional>
#include <string>

namespace pzam {

// Text ids of the reasons; each text holds one %s for its argument (the device, the port or the
// group), except the handshake, no-port and line-settings texts, which take none.
inline constexpr int kReasonNotASerialDevice = 9018;
inline constexpr int kReasonPortInUse = 9019;
inline constexpr int kReasonNoDeviceForPort = 9030;
inline constexpr int kReasonGroupNeeded = 9031;
inline constexpr int kReasonNoDtrDsr = 9032;
inline constexpr int kReasonNoPortChosen = 9033;
// Line settings the system cannot set up.
inline constexpr int kReasonBaudZero = 9034;
inline constexpr int kReasonDataBits = 9035;
inline constexpr int kReasonParity = 9036;
inline constexpr int kReasonStopBits = 9037;
inline constexpr int kReasonOneAndHalfStopBits = 9038;
inline constexpr int kReasonTwoStopBitsWithFive = 9039;
inline constexpr int kReasonXonIsXoff = 9040;
inline constexpr int kReasonBaudNotSupported = 9041;

// The language's text of an id ("0" or empty when it has none). An empty function: English.
using TReasonTexts = std::function<std::string(int id)>;
void SetReasonTexts(TReasonTexts texts);

// The reason id with arg in place of its %s.
std::string ReasonText(int id, const std::string& arg = {});

}  // namespace pzam
