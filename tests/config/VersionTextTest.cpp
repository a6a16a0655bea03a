#include "config/VersionText.h"

#include <gtest/gtest.h>

#include "common/Paths.h"
#include "support/TempDir.h"

namespace pzam {
namespace {

const std::string kPrefix("\x01PZAM-FileVersion=");

TEST(VersionText, BuiltFromCharacterPositions) {
  struct {
    const char* version;
    const char* text;
  } cases[] = {{"1.1.0.3", "V1.10 Build 3"},
               {"1.1.0.3.7", "V1.10 Build 3"},
               {"2.0.0.12", "V2.00 Build 1"},
               {"10.2.3.4", "V10.. Build ."},
               {"1.1.0", "V1.10 Build "},
               {"1.1", "V1.1Build "},
               {"", "V Buld "}};
  for (const auto& c : cases) EXPECT_EQ(c.text, VersionTextFromString(c.version)) << c.version;
}

TEST(VersionText, ExecutablesCarryTheBuiltVersion) {
  EXPECT_STREQ("1.1.0.3", BuiltVersionString());
  EXPECT_EQ("1.1.0.3", ReadVersionString(ExecutablePath()));
  EXPECT_EQ("V1.10 Build 3", ReadVersionText(ExecutablePath()));
  EXPECT_EQ("V1.10 Build 3", ReadVersionText(ExecutableDir() + "pzam-tool" + PZAM_EXE_SUFFIX));
}

TEST(VersionText, ScanFindsOnlyWholeMarkers) {
  test::TTempDir dir;
  const auto file = dir.File("exe");
  struct {
    const char* name;
    std::string content;
    const char* version;
  } cases[] = {{"no marker", std::string(100000, 'x'), ""},
               {"empty file", "", ""},
               {"prefix alone", kPrefix + std::string(1, '\0'), ""},
               {"not terminated", "ab" + kPrefix + "1.2.3.4", ""},
               {"foreign character", kPrefix + "1.2a" + std::string(1, '\0'), ""},
               {"too long", kPrefix + std::string(200, '1') + std::string(1, '\0'), ""},
               {"after a false start",
                kPrefix + std::string(1, '\0') + "zz" + kPrefix + "2.3.4.5" + std::string(1, '\0'),
                "2.3.4.5"},
               {"across a chunk boundary",
                std::string(65536 - 7, 'y') + kPrefix + "4.5.6.7" + std::string(1, '\0') + "tail",
                "4.5.6.7"},
               {"deep in a large file",
                std::string(300000, '\0') + kPrefix + "9.8.7.6" + std::string(1, '\0'), "9.8.7.6"}};
  for (const auto& c : cases) {
    test::WriteFile(file, c.content);
    EXPECT_EQ(c.version, ReadVersionString(file)) << c.name;
  }
  EXPECT_EQ("", ReadVersionText(dir.File("missing")));
  test::WriteFile(file, "MZ" + std::string(1000, '\0'));
  EXPECT_EQ("", ReadVersionText(file));  // no version string: no version text at all
}

}  // namespace
}  // namespace pzam
