// The six texts a decoded value passes through: set by the decoding, rewritten in display form by
// the value processing, recorded in the memo line and the record row.
#pragma once

#include <string>

namespace pzam::measurement {

struct TSharedTexts {
  std::string Count;
  std::string Value;
  std::string Mean;
  std::string Deviation;
  std::string Maximum;
  std::string Minimum;
};

}  // namespace pzam::measurement
