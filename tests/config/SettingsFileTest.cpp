#include "config/SettingsFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>

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

TEST(SettingsFile, PathIsBesideAWritableExecutable) {
  EXPECT_EQ(ExecutableDir() + "PZAMConfig.ini", SettingsFilePath());
  EXPECT_EQ('/', ExecutableDir().back());
}

TEST(SettingsFile, PathRule) {
  struct {
    bool writable;
    const char *xdg, *home, *expected;
  } cases[] = {
      {true, "/x/cfg", "/home/u", "/opt/pzam/PZAMConfig.ini"},
      {true, "", "", "/opt/pzam/PZAMConfig.ini"},
      {false, "/x/cfg", "/home/u", "/x/cfg/pzam/PZAMConfig.ini"},
      {false, "/x/cfg/", "/home/u", "/x/cfg/pzam/PZAMConfig.ini"},
      {false, "", "/home/u", "/home/u/.config/pzam/PZAMConfig.ini"},
      {false, "", "/home/u/", "/home/u/.config/pzam/PZAMConfig.ini"},
      {false, "cfg", "/home/u", "/home/u/.config/pzam/PZAMConfig.ini"},  // relative: ignored
      {false, "/x", "", "/x/pzam/PZAMConfig.ini"},
      {false, "", "", "/opt/pzam/PZAMConfig.ini"},  // nowhere else to go
  };
  for (const auto& c : cases) {
    const TSettingsPlace place{"/opt/pzam/", c.writable, c.xdg, c.home};
    EXPECT_EQ(c.expected, SettingsFilePathFor(place))
        << c.writable << " XDG_CONFIG_HOME=" << c.xdg << " HOME=" << c.home;
  }
}

// Runs fn in a child process without the administrator's rights (as "nobody" when this test runs
// as root) and returns what it returned; the child's environment changes stay in the child.
std::string AsOrdinaryUser(const std::function<std::string()>& fn) {
  int fds[2];
  if (::pipe(fds) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    std::string result = "setuid failed";
    if (::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0)) result = fn();
    const ssize_t n = ::write(fds[1], result.data(), result.size());
    ::_exit(n == static_cast<ssize_t>(result.size()) ? 0 : 1);
  }
  ::close(fds[1]);
  std::string result;
  char buf[512];
  for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) result.append(buf, n);
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return result;
}

TEST(SettingsFile, UnwritableProgramFolderTakesTheUserConfigFolder) {
  test::TTempDir writable, readOnly;
  ::chmod(writable.Dir().c_str(), 0777);
  ::chmod(readOnly.Dir().c_str(), 0555);
  const std::string w = writable.Path(), r = readOnly.Path();
  struct {
    std::string dir;
    const char *xdg, *home;
    std::string expected;
  } cases[] = {
      {w, "/x/cfg", "/home/u", w + "PZAMConfig.ini"},
      {r, "/x/cfg", "/home/u", "/x/cfg/pzam/PZAMConfig.ini"},
      {r, nullptr, "/home/u", "/home/u/.config/pzam/PZAMConfig.ini"},
      {r, "", "/home/u", "/home/u/.config/pzam/PZAMConfig.ini"},
      {r + "missing/", nullptr, "/home/u", "/home/u/.config/pzam/PZAMConfig.ini"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, AsOrdinaryUser([&] {
                if (c.xdg != nullptr) ::setenv("XDG_CONFIG_HOME", c.xdg, 1);
                if (c.xdg == nullptr) ::unsetenv("XDG_CONFIG_HOME");
                ::setenv("HOME", c.home, 1);
                return SettingsFilePathIn(c.dir);
              }))
        << c.dir << " " << (c.xdg ? c.xdg : "(unset)");
  }
  // Without HOME the password database names the home folder.
  const std::string fromPasswd = AsOrdinaryUser([&] {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("HOME");
    return SettingsFilePathIn(r);
  });
  EXPECT_TRUE(fromPasswd.starts_with('/')) << fromPasswd;
  EXPECT_TRUE(fromPasswd.ends_with("/.config/pzam/PZAMConfig.ini")) << fromPasswd;
}

TEST(SettingsFile, FolderWritableFollowsTheUsersRights) {
  test::TTempDir dir;
  EXPECT_TRUE(FolderWritable(dir.Path()));
  EXPECT_FALSE(FolderWritable(dir.File("missing/")));
  ::chmod(dir.Dir().c_str(), 0555);
  EXPECT_EQ("0", AsOrdinaryUser([&] { return std::to_string(FolderWritable(dir.Path())); }));
  ::chmod(dir.Dir().c_str(), 0777);
  EXPECT_EQ("1", AsOrdinaryUser([&] { return std::to_string(FolderWritable(dir.Path())); }));
}

TEST(SettingsFile, SettingsFolderIsCreatedWhereMissing) {
  test::TTempDir dir;
  const std::string nested = dir.File("cfg/pzam/PZAMConfig.ini");
  ASSERT_TRUE(CreateSettingsFolder(nested));
  struct stat st {};
  ASSERT_EQ(0, ::stat(dir.File("cfg/pzam").c_str(), &st));
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  EXPECT_EQ(0700u, st.st_mode & 0777);
  EXPECT_TRUE(CreateSettingsFolder(nested));  // already there
  EXPECT_TRUE(CreateSettingsFolder(dir.File("PZAMConfig.ini")));
  test::WriteFile(dir.File("file"), "x");
  EXPECT_FALSE(CreateSettingsFolder(dir.File("file/pzam/PZAMConfig.ini")));
  ::chmod(dir.Dir().c_str(), 0555);
  EXPECT_EQ("0", AsOrdinaryUser([&] {
              return std::to_string(CreateSettingsFolder(dir.File("new/PZAMConfig.ini")));
            }));
}

}  // namespace
}  // namespace pzam
