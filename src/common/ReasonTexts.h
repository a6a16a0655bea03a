// Reasons the program words itself (rather than the system), in the operator's language. The
// program hands over its language texts once it has loaded them; before that, and for a text the
// language file lacks, the built-in English wording holds.
#pragma once

#include <functional>
#include <string>

namespace pzam {

// Text ids of the reasons; each text holds one %s for the device.
inline constexpr int kReasonNotASerialDevice = 9018;
inline constexpr int kReasonPortInUse = 9019;

// The language's text of an id ("0" or empty when it has none). An empty function: English.
using TReasonTexts = std::function<std::string(int id)>;
void SetReasonTexts(TReasonTexts texts);

// The reason id with arg in place of its %s.
std::string ReasonText(int id, const std::string& arg);

}  // namespace pzam
