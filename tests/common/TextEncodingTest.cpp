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

}  // namespace
}  // namespace pzam
