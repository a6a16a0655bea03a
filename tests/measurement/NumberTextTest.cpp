#include "measurement/NumberText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "common/Errors.h"

namespace pzam::measurement {
namespace {

// The text of the conversion error fn raises; "<no error>" when it raises none.
template <typename Fn>
std::string ConvertErrorText(Fn fn) {
  try {
    fn();
  } catch (const EConvertError& e) {
    return e.what();
  }
  return "<no error>";
}

TEST(FormatCount, ZeroPaddedWithSignInFront) {
  const struct {
    int value;
    const char* text;
  } cases[] = {{5, "005"},     {-5, "-005"}, {0, "000"},       {12, "012"},
               {1234, "1234"}, {999, "999"}, {-1234, "-1234"}, {2147483647, "2147483647"}};
  for (const auto& c : cases) EXPECT_EQ(FormatCount(c.value), c.text) << c.value;
}

TEST(FormatFixed, DisplayFormats) {
  const struct {
    long double value;
    int width, decimals;
    char sep;
    const char* text;
  } cases[] = {
      {12.345L, 8, 3, ',', "  12,345"},
      {12.345L, 8, 3, '.', "  12.345"},
      {0, 8, 1, ',', "     0,0"},
      {12, 8, 2, ',', "   12,00"},
      {-9999, 8, 5, ',', "-9999,00000"},  // wider than 8: not cut
      {12345, 8, 6, ',', "12345,000000"},
      {1.0L, 8, 1, ',', "     1,0"},
      {0.001L, 8, 3, ',', "   0,001"},
      {-0.5L, 8, 0, '.', "      -1"},  // half away from zero
      {0.5L, 8, 0, '.', "       1"},
      {2.5L, 3, 0, '.', "  3"},
      {0.125L, 4, 2, '.', "0.13"},      // exact tie rounds up, not to even
      {-0.0004L, 6, 3, '.', " 0.000"},  // rounds to zero: no minus sign
      {-0.0L, 5, 1, ',', "  0,0"},
      {9.9996L, 1, 3, '.', "10.000"},  // carry into a new digit
      {0.0009L, 1, 3, '.', "0.001"},
      {123.456L, 1, 1, ',', "123,5"},
      {1.5L, 1, 30, '.', "1.500000000000000000"},  // decimals clamp at 18
      {1e20L, 1, 2, ',', "1E20"},                  // too many integer digits: general text
  };
  for (const auto& c : cases)
    EXPECT_EQ(FormatFixed(c.value, c.width, c.decimals, c.sep), c.text)
        << static_cast<double>(c.value) << " %" << c.width << "." << c.decimals << "f";
}

TEST(FloatToText, GeneralForm) {
  const struct {
    long double value;
    char sep;
    const char* text;
  } cases[] = {
      {1, ',', "1"},
      {12, ',', "12"},
      {12.3L, ',', "12,3"},
      {0.001, ',', "0,001"},
      {12.339, ',', "12,339"},  // the 64-bit 12.339 lies just above: 15 digits hide it
      {-9999, ',', "-9999"},
      {9999, '.', "9999"},
      {0.0001, '.', "0.0001"},
      {0.00001, '.', "1E-5"},
      {1.5e-6, ',', "1,5E-6"},
      {-1.5e-6, ',', "-1,5E-6"},
      {123456789012345.0L, '.', "123456789012345"},
      {1e15L, '.', "1E15"},
      {1.25e20L, '.', "1.25E20"},
      {0.1 + 0.2, '.', "0.3"},  // 15 significant digits
      {2.0 / 3.0, '.', "0.666666666666667"},
      {0, ',', "0"},
      {std::numeric_limits<long double>::infinity(), '.', "INF"},
      {-std::numeric_limits<long double>::infinity(), '.', "-INF"},
      {std::numeric_limits<long double>::quiet_NaN(), '.', "NAN"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToText(c.value, c.sep), c.text) << c.text;
}

TEST(StrToInt, WholeNumberReader) {
  const struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"12", true, 12},
      {"  12", true, 12},
      {"+7", true, 7},
      {"-0005", true, -5},
      {" -3", true, -3},
      {"00000001", true, 1},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"12 ", false, 0},
      {"", false, 0},
      {"  ", false, 0},
      {"+", false, 0},
      {"1a", false, 0},
      {"0x1A", false, 0},
      {"$1A", false, 0},
      {"1.0", false, 0},
      {"- 1", false, 0},
      {"++1", false, 0},
      {"99999999999999999999", false, 0},
  };
  for (const auto& c : cases) {
    int v = -42;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(StrToInt, ErrorText) {
  EXPECT_EQ(ConvertErrorText([] { StrToInt("abc"); }), "'abc' ist kein gültiger Integerwert");
}

TEST(StrToFloat, FloatReader) {
  const struct {
    const char* text;
    char sep;
    bool ok;
    long double value;
  } cases[] = {
      {"+012,345", ',', true, 12.345L},
      {"+012.345", '.', true, 12.345L},
      {"+012.345", ',', false, 0},  // the point is no separator in the comma case
      {"  -1,5  ", ',', true, -1.5L},
      {"1,", ',', true, 1},
      {",5", ',', true, 0.5L},
      {",", ',', false, 0},
      {"1,5E3", ',', true, 1500},
      {"1,5e-3", ',', true, 0.0015L},
      {"2E+2", '.', true, 200},
      {"1E", '.', false, 0},
      {"1E+", '.', false, 0},
      {"1,2,3", ',', false, 0},
      {"1 2", '.', false, 0},
      {"", '.', false, 0},
      {"-", '.', false, 0},
      {"+-1", '.', false, 0},
      {"abc", '.', false, 0},
      {"12345", ',', true, 12345},
      {"1E400", '.', false, 0},   // beyond a 64-bit float
      {"1E-5000", '.', true, 0},  // underflow reads as zero
      {"0x10", '.', false, 0},
      {"inf", '.', false, 0},
      {"nan", '.', false, 0},
      {"  0.0012", '.', true, 0.0012L},
  };
  for (const auto& c : cases) {
    long double v = -42;
    EXPECT_EQ(TryStrToFloat(c.text, c.sep, v), c.ok) << '"' << c.text << '"';
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(StrToFloat, ErrorText) {
  EXPECT_EQ(ConvertErrorText([] { StrToFloat("1,2,3", ','); }),
            "'1,2,3' ist kein gültiger Gleitkommawert");
}

TEST(DecimalsOf, LengthAfterFirstMark) {
  const struct {
    const char* text;
    char mark;
    int decimals;
  } cases[] = {{"12", ',', 2},    {"12,34", ',', 2},  {"-9999", ',', 5}, {"+012,345", ',', 3},
               {"0", ',', 1},     {"1,5E-6", ',', 4}, {"12.34", ',', 5}, {"12.34", '.', 2},
               {"1,2,3", ',', 3}, {"", ',', 0},       {"12,", ',', 0}};
  for (const auto& c : cases) EXPECT_EQ(DecimalsOf(c.text, c.mark), c.decimals) << c.text;
}

}  // namespace
}  // namespace pzam::measurement
