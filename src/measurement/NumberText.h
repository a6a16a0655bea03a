// Number texts as the program shows and reads them: the fixed display format, the general float
// text, the whole-number and float readers and the zero-padded count format. Every function takes
// the decimal separator as an argument, so the process locale never matters.
#pragma once

#include <string>

namespace pzam::measurement {

// "%3.3d": at least three digits, zero-padded, sign in front (5 -> "005", -5 -> "-005").
std::string FormatCount(int value);

// "%W.Pf": fixed notation with `decimals` digits after the separator (0 to 18), right-aligned in
// at least `width` characters, no thousands separators. Rounds half away from zero on the
// 18-digit decimal form of the value. A value with more than 18 integer digits falls back to the
// general text. A result that rounds to zero carries no minus sign.
std::string FormatFixed(long double value, int width, int decimals, char separator);

// The general float text: at most 15 significant digits, trailing zeros dropped, no separator for
// whole numbers; scientific ("1,5E-6", "1E20") when the decimal point lies more than 15 digits
// to the right of the first digit or more than 3 zeros to its left. "INF", "-INF", "NAN" for the
// special values.
std::string FloatToText(long double value, char separator);

// Whole-number reader: optional leading blanks, an optional sign, decimal digits, nothing after
// them; the value must fit 32 bits.
bool TryStrToInt(const std::string& text, int& out);
// As TryStrToInt; throws EConvertError "'<text>' ist kein gültiger Integerwert".
int StrToInt(const std::string& text);

// Float reader: blanks around, an optional sign, digits with at most one separator (at least one
// digit in all), an optional exponent "E"/"e" with optional sign and digits. Values beyond the
// range of a 64-bit float are refused.
bool TryStrToFloat(const std::string& text, char separator, long double& out);
// As TryStrToFloat; throws EConvertError "'<text>' ist kein gültiger Gleitkommawert".
long double StrToFloat(const std::string& text, char separator);

// The decimals rule of the display format: the length of the text minus the 1-based position of
// its first `mark` character, or the whole length when there is none.
int DecimalsOf(const std::string& text, char mark);

}  // namespace pzam::measurement
