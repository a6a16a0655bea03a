// The tolerance limits in the settings file: section Tolerance, keys Nominal, Lower and Upper,
// the texts as the operator typed them. A missing section means no tolerance.
#pragma once

#include <string>

#include "analysis/Capability.h"

namespace pzam::analysis {

namespace settings {
inline constexpr char kTolerance[] = "Tolerance";
inline constexpr char kNominal[] = "Nominal";
inline constexpr char kLower[] = "Lower";
inline constexpr char kUpper[] = "Upper";
}  // namespace settings

TToleranceTexts ReadToleranceTexts(const std::string& path);
// Throws what WriteProfileString throws.
void WriteToleranceTexts(const std::string& path, const TToleranceTexts& texts);

}  // namespace pzam::analysis
