#include "config/SettingsFile.h"

#include <gtest/gtest.h>

#include "common/Paths.h"
#include "common/TextEncoding.h"
#include "support/TempDir.h"

namespace pzam {
namespace {

TEST(SettingsFile, IntegerForms) {
  struct {
    const char* text;
    int value;
  } good[] = {{"0", 0},
              {"2", 2},
              {"+3", 3},
              {"-5", -5},
              {"007", 7},
              {"2147483647", 2147483647},
              {"-2147483648", -2147483647 - 1},
              {"0x2", 2},
              {"0X1f", 31},
              {"x10", 16},
              {"X10", 16},
              {"$FF", 255},
              {"$7FFFFFFF", 2147483647},
              {"$FFFFFFFF", -1}};
  for (const auto& c : good) {
    int value = 12345;
    EXPECT_TRUE(ParseProfileInteger(c.text, value)) << c.text;
    EXPECT_EQ(c.value, value) << c.text;
  }
  for (const char* bad :
       {"2147483648", "-2147483649", "99999999999999999999", "$100000000", "0x", "$", "-$1", "-0x1",
        "0xg", "abc", "", "-", "+", "1.0", "1e3", "1 2", "12a", " 1"}) {
    int value = 12345;
    EXPECT_FALSE(ParseProfileInteger(bad, value)) << bad;
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
  } cases[] = {{9, 4, 3},
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
               {2147483647, 3, 2}};
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, ClampSelectionIndex(c.index, c.items)) << c.index << " of " << c.items;
}

TEST(SettingsFile, PortMapTakesCom1ToCom99WithADevice) {
  test::TTempDir dir;
  const auto ini = dir.File(settings::kFileName);
  test::WriteFile(ini,
                  "[Serial]\nCOM2=/dev/ttyS9\n"
                  "[Ports]\nCOM5=/dev/ttyUSB0\ncom7=/dev/serial/by-id/usb-x\nCOM99=/dev/ttyACM1\n"
                  "COM0=/dev/zero\nCOM100=/dev/ttyUSB9\nCOM8=\nCOM05=/dev/ttyUSB5\nLPT1=/dev/lp0\n"
                  "com8=/dev/ttyUSB8\n COM5 =/dev/late\nCOMX=/dev/x\nCOM1x=/dev/y\n"
                  "[Select]\nCOM3=/dev/ttyS3\n[ports]\nCOM6=/dev/ttyUSB6\n");
  const std::map<int, std::string> expected = {
      {5, "/dev/ttyUSB0"}, {7, "/dev/serial/by-id/usb-x"}, {99, "/dev/ttyACM1"}};
  EXPECT_EQ(expected, ReadPortMap(ini));  // a second [Ports] section is not read
  EXPECT_TRUE(ReadPortMap(dir.File("none.ini")).empty());
  test::WriteFile(ini, "\xFF\xFE" + Utf8ToUtf16Le("[Ports]\r\nCOM5=\t/dev/ttyUSB0\v\r\n"));
  EXPECT_EQ((std::map<int, std::string>{{5, "/dev/ttyUSB0"}}), ReadPortMap(ini));
}

TEST(SettingsFile, PathIsBesideTheExecutable) {
  EXPECT_EQ(ExecutableDir() + "PZAMConfig.ini", SettingsFilePath());
  EXPECT_EQ('/', ExecutableDir().back());
}

}  // namespace
}  // namespace pzam
