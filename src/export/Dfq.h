// A transfer file in the AQDEF K-field form (.dfq): the part, its characteristics and the values,
// one K-field a line ("K0001/2 12.345"), CR LF, Windows-1252. docs/DFQ.md names the fields and
// why they are written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/FormatSettings.h"

namespace pzam::dfq {

struct TDfqCharacteristic {
  std::string Name;
  int Decimals = 3;
  std::optional<double> Nominal, Lower, Upper;
  std::string Unit;  // empty: not written
};

struct TDfqValue {
  std::string Text;  // the value with "." as separator, as many decimals as the gauge sent
  std::optional<TDateTime> Time;
  std::string Batch;
  std::string PartId;  // empty: not written
};

// The values of one part (with a plan) or one value (without), by characteristic in order; an
// empty place is written as a placeholder, so a reader keeps each part's values together.
struct TDfqSet {
  std::vector<std::optional<TDfqValue>> Values;
};

struct TDfqFile {
  std::string PartNumber, PartName;
  std::vector<TDfqCharacteristic> Characteristics;
  std::vector<TDfqSet> Sets;
};

// The lengths the format allows a text field, in characters (bytes in Windows-1252).
inline constexpr std::size_t kBatchLength = 14;           // K0006
inline constexpr std::size_t kPartIdLength = 40;          // K0014
inline constexpr std::size_t kPartNumberLength = 30;      // K1001
inline constexpr std::size_t kPartNameLength = 80;        // K1002
inline constexpr std::size_t kCharacteristicLength = 80;  // K2002

struct TDfqText {
  std::string Bytes;
  // One line for each field whose text was cut, each field once however often it was cut.
  std::vector<std::string> Cuts;
};

// The file's bytes.
TDfqText DfqText(const TDfqFile& file);

// Writes the file (replaced whole, never left half-written); false with `error` when it cannot be.
bool WriteDfqFile(const std::string& path, const TDfqFile& file, std::vector<std::string>& cuts,
                  std::string& error);

// The value text of a value: `value` in fixed notation with "." and as many decimals as the
// gauge's `text` holds after its separator ("+012.340" and 12.34 give "12.340"; "-1,5" gives
// "-1.5"). A text without a separator gives none; a text that is no plain number gives the
// shortest text of `value`.
std::string ValueText(const std::string& text, double value);

// How many decimals a value text holds after its "." or ",".
int TextDecimals(const std::string& text);

// "DD.MM.YYYY/HH:MM:SS".
std::string DateTimeText(const TDateTime& t);

// The date and time of an ISO 8601 text as the journal keeps it ("2026-12-09T21:30:05.123+01:00",
// the local time with its offset); nothing for another form.
std::optional<TDateTime> FromIsoText(const std::string& text);

// The name with its extension (if any) replaced by ".dfq".
std::string DfqFileName(const std::string& name);

// The part number a file carries: the plan's, else the plan's name, else the name of the file
// without ".dfq" (a run without a plan), so that a reader always has a part to file values under.
std::string PartNumberOr(const std::string& partNumber, const std::string& planName,
                         const std::string& fileName);

}  // namespace pzam::dfq
