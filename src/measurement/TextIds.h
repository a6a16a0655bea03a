// Language text ids the measuring run looks up.
#pragma once

namespace pzam::measurement {

inline constexpr int kTextTakeValue = 1101;        // caption of Bu_MeasStart in modes 2 and 3
inline constexpr int kTextNoRecordFile = 9001;     // Ed_Filename in save mode 0
inline constexpr int kTextRunEnded = 9002;         // memo line of End
inline constexpr int kTextValueRefused = 9003;     // memo line: the run holds 9999 values
inline constexpr int kTextPortNotOpened = 9004;    // "%s" port name, "%s" reason
inline constexpr int kTextNoOperatingMode = 9007;  // Initialise without an operating mode
inline constexpr int kTextRowNotWritten = 9008;    // "%s" reason; memo line of a failed row
inline constexpr int kTextFirstHeader = 9010;      // 9010 to 9017: the record file's headings

// The caption of Bu_MeasStart in operating mode 1 (a fixed text, not a language text).
inline constexpr const char* kTakeValueModeOne = "Messung starten";

}  // namespace pzam::measurement
