#include "common/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

namespace pzam {
namespace {

TEST(TextEncoding, Utf8Validity) {
  for (const char* good : {"", "plain", "Datensätze", "\xE2\x82\xAC", "\xF0\x9F\x98\x80",
                           "\xEF\xBF\xBF", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  for (const char* bad : {"Datens\xE4tze", "\x80", "\xC3", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\xAF",
                          "\xED\xA0\x80", "\xF0\x80\x80\xAF", "\xF4\x90\x80\x80",
                          "\xF5\x80\x80\x80", "\xFF", "\xE2\x82", "a\xE2\x28\xA1"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(TextEncoding, Windows1252ToUtf8) {
  EXPECT_EQ("Datensätze Schließen", Windows1252ToUtf8("Datens\xE4tze Schlie\xDF"
                                                      "en"));
  EXPECT_EQ("€ ‚ ƒ „ … Ÿ ÿ", Windows1252ToUtf8("\x80 \x82 \x83 \x84 \x85 \x9F \xFF"));
  EXPECT_EQ("\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D", Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"));
  EXPECT_EQ("\xC2\xA0", Windows1252ToUtf8("\xA0"));
  EXPECT_EQ("ä", AsUtf8("ä"));  // valid UTF-8 stays as it is
  EXPECT_EQ("ä", AsUtf8("\xE4"));
}

TEST(TextEncoding, Utf8ToWindows1252) {
  const struct {
    std::string in, out;
  } cases[] = {
      {"plain", "plain"},
      {"Datensätze", "Datens\xE4tze"},
      {"\xE2\x80\x9Cq\xE2\x80\x9D", "\x93q\x94"},
      {"\xC2\x81", "?"},  // C1 control: not in 1252
      {"\xF0\x9F\x98\x80", "?"},
      {"\xE4", "\xE4"},  // not UTF-8: kept as 8-bit text
      {"\xC3", "\xC3"},
      {"\xE0\x80\x80", "\xE0\x80\x80"},  // overlong form kept
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToWindows1252(c.in), c.out) << c.in;
}

TEST(TextEncoding, Utf16Le) {
  using namespace std::string_literals;
  const struct {
    std::string utf16, utf8;
  } cases[] = {
      {"\xFF\xFE"
       "A\0"
       "\xE4\0"
       "\xAC\x20"s,
       "Aä€"},
      {"A\0\r\0\n\0"s, "A\r\n"},                          // without the mark
      {"\xFF\xFE\x3D\xD8\x00\xDE"s, "\xF0\x9F\x98\x80"},  // a surrogate pair
      {"\x3D\xD8"
       "A\0"s,
       "\xEF\xBF\xBD"
       "A"},                          // a lone high surrogate
      {"\x00\xDE"s, "\xEF\xBF\xBD"},  // a lone low surrogate
      {"A\0B"s, "A"},                 // an odd last byte
      {"\xFF\xFE"s, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf16LeToUtf8(c.utf16), c.utf8) << c.utf8;
  EXPECT_TRUE(IsUtf16Le("\xFF\xFE[A]"));
  EXPECT_FALSE(IsUtf16Le("\xFE\xFF"));
  EXPECT_FALSE(IsUtf16Le("\xFF"));
  // Back to UTF-16: every character of the first table row round-trips, and 8-bit text that is
  // not UTF-8 is taken as Windows-1252.
  for (const std::string text : {"Aä€", "\xF0\x9F\x98\x80", "[Serial]\r\nCOM=x\r\n", ""})
    EXPECT_EQ(Utf16LeToUtf8(Utf8ToUtf16Le(text)), text) << text;
  EXPECT_EQ(Utf8ToUtf16Le("\xE4\x80"), "\xE4\0\xAC\x20"s);
}

}  // namespace
}  // namespace pzam
