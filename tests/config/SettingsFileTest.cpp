#include "config/SettingsFile.h"

#include <gtest/gtest.h>

#include "TempDir.h"
#include "common/Paths.h"

namespace pzam {
namespace {

TEST(SettingsFile, IntegerForms) {
  struct {
    const char* text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"2", true, 2},
      {"+3", true, 3},
      {"-5", true, -5},
      {"007", true, 7},
      {"2147483647", true, 2147483647},
      {"-2147483648", true, -2147483647 - 1},
      {"2147483648", false, 0},
      {"-2147483649", false, 0},
      {"99999999999999999999", false, 0},
      {"0x2", true, 2},
      {"0X1f", true, 31},
      {"x10", true, 16},
      {"X10", true, 16},
      {"$FF", true, 255},
      {"$7FFFFFFF", true, 2147483647},
      {"$FFFFFFFF", true, -1},
      {"$100000000", false, 0},
      {"0x", false, 0},
      {"$", false, 0},
      {"-$1", false, 0},
      {"-0x1", false, 0},
      {"0xg", false, 0},
      {"abc", false, 0},
      {"", false, 0},
      {"-", false, 0},
      {"+", false, 0},
      {"1.0", false, 0},
      {"1e3", false, 0},
      {"1 2", false, 0},
      {"12a", false, 0},
  };
  for (const auto& c : cases) {
    int value = 12345;
    EXPECT_EQ(c.ok, ParseProfileInteger(c.text, value)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.value, value) << c.text;
    }
  }
}

TEST(SettingsFile, ReadIntegerFromTheFile) {
  test::TTempDir dir;
  const auto ini = dir.File(settings::kFileName);
  test::WriteFile(ini,
                  "[Select]\nReqMode=9\nFileMode=0x2\nCableType=abc\nQuorvMode= \"2\" \n"
                  "Neg=-5\n");
  EXPECT_EQ(9, ReadProfileInteger(ini, "Select", "ReqMode", 0));
  EXPECT_EQ(2, ReadProfileInteger(ini, "Select", "FileMode", 0));
  EXPECT_EQ(0, ReadProfileInteger(ini, "Select", "CableType", 0));
  EXPECT_EQ(2, ReadProfileInteger(ini, "Select", "QuorvMode", 0));  // blanks and quotes removed
  EXPECT_EQ(-5, ReadProfileInteger(ini, "Select", "Neg", 0));
  EXPECT_EQ(7, ReadProfileInteger(ini, "Select", "Missing", 7));
  EXPECT_EQ(0, ReadProfileInteger(dir.File("none.ini"), "Select", "ReqMode", 0));
}

TEST(SettingsFile, SelectionIndexIsClampedByItsGroup) {
  struct {
    int index, items, expected;
  } cases[] = {
      {9, 4, 3},
      {4, 4, 3},
      {3, 4, 3},
      {0, 4, 0},
      {-1, 4, -1},
      {-5, 4, -1},
      {3, 3, 2},
      {2, 2, 1},
      {1, 2, 1},
      {-2, 2, -1},
      {0, 0, -1},
      {5, 0, -1},
      {-2147483647 - 1, 4, -1},
      {2147483647, 3, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ClampSelectionIndex(c.index, c.items)) << c.index << " of " << c.items;
}

TEST(SettingsFile, PathIsBesideTheExecutable) {
  EXPECT_EQ(ExecutableDir() + "PZAMConfig.ini", SettingsFilePath());
  EXPECT_EQ('/', ExecutableDir().back());
}

}  // namespace
}  // namespace pzam
