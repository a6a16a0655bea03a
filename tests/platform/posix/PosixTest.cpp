// The POSIX side's own rules: the configuration folder after XDG, signals and their earlier
// handling, and what the program's other code takes for a separator or a full disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "../Scratch.h"
#include "common/Paths.h"
#include "platform/CommandLine.h"
#include "platform/FileRights.h"
#include "platform/Folders.h"
#include "platform/Regional.h"
#include "platform/Signals.h"
#include "platform/SystemErrors.h"
#include "platform/Users.h"

namespace pzam::platform {
namespace {

TEST(PlatformPosix, ConfigFolderRule) {
  struct {
    const char *xdg, *home, *appData, *folder;
  } cases[] = {
      {"/x/cfg", "/home/u", "", "/x/cfg/pzam/"},
      {"/x/cfg/", "/home/u", "", "/x/cfg/pzam/"},
      {"/x/cfg", "", "", "/x/cfg/pzam/"},
      {"", "/home/u", "", "/home/u/.config/pzam/"},
      {"", "/home/u/", "", "/home/u/.config/pzam/"},
      {"cfg", "/home/u", "", "/home/u/.config/pzam/"},  // relative: not taken
      {"", "", "/win/AppData", ""},                     // APPDATA is Windows's
      {"", "", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.folder, UserConfigFolderFor({c.xdg, c.home, c.appData}))
        << "XDG_CONFIG_HOME=" << c.xdg << " HOME=" << c.home;
}

TEST(PlatformPosix, ConfigEnvironmentComesFromTheVariables) {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string savedXdg = xdg ? xdg : "", savedHome = home ? home : "";
  ::setenv("XDG_CONFIG_HOME", "/x/cfg", 1);
  ::setenv("HOME", "/home/u", 1);
  TConfigEnvironment env = ConfigEnvironment();
  EXPECT_EQ("/x/cfg", env.XdgConfigHome);
  EXPECT_EQ("/home/u", env.Home);
  ::unsetenv("XDG_CONFIG_HOME");
  ::unsetenv("HOME");
  env = ConfigEnvironment();
  EXPECT_EQ("", env.XdgConfigHome);
  EXPECT_EQ(HomeFolder(), env.Home);  // the password database
  if (xdg) ::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1);
  if (home) ::setenv("HOME", savedHome.c_str(), 1);
}

int gNotified = 0;

void Notify(int signo) {
  gNotified = signo;
}

TEST(PlatformPosix, CaughtSignalsNotifyAndGetTheirEarlierHandlingBack) {
  struct {
    int signo;
    void (*before)(int);
  } cases[] = {{SIGUSR1, SIG_IGN}, {SIGUSR2, SIG_DFL}, {SIGHUP, SIG_IGN}};
  for (const auto& c : cases) {
    ::signal(c.signo, c.before);
    ASSERT_TRUE(CatchSignal(c.signo, &Notify));
    ASSERT_TRUE(CatchSignal(c.signo, &Notify));  // again: the earlier handling is still the first
    gNotified = 0;
    ::raise(c.signo);
    EXPECT_EQ(c.signo, gNotified);
    ReleaseSignal(c.signo);
    struct sigaction now {};
    ::sigaction(c.signo, nullptr, &now);
    EXPECT_EQ(c.before, now.sa_handler) << c.signo;
    ASSERT_TRUE(CatchSignal(c.signo, &Notify));
    DefaultSignal(c.signo);
    ::sigaction(c.signo, nullptr, &now);
    EXPECT_EQ(SIG_DFL, now.sa_handler) << c.signo;
  }
  EXPECT_FALSE(CatchSignal(0, &Notify));
  EXPECT_FALSE(CatchSignal(65, &Notify));
}

TEST(PlatformPosix, SeparatorsAndFullDisks) {
  struct {
    const char *path, *dir;
  } cases[] = {{"/opt/pzam/PZAM", "/opt/pzam/"},
               {"PZAM", ""},
               {"/PZAM", "/"},
               {"C:\\PZAM\\PZAM.exe", ""},  // a backslash is a character of the name here
               {"a\\b/c", "a\\b/"}};
  for (const auto& c : cases) EXPECT_EQ(c.dir, DirectoryOf(c.path)) << c.path;
  for (int err : {ENOSPC, EDQUOT}) EXPECT_TRUE(IsDiskFull(err)) << err;
  for (int err : {ENOENT, EIO, EACCES, 0}) EXPECT_FALSE(IsDiskFull(err)) << err;
}

TEST(PlatformPosix, ArgumentsAreTheBytesAfterTheProgramsName) {
  char prog[] = "pzam-tool", measure[] = "measure", batch[] = "M\xC3\xBCller",
       latin[] = "M\xFCller";
  struct {
    std::vector<char*> argv;
    std::vector<std::string> args;
  } cases[] = {{{prog}, {}},
               {{prog, measure}, {"measure"}},
               {{prog, measure, batch, latin}, {"measure", "M\xC3\xBCller", "M\xFCller"}},
               {{}, {}}};
  for (auto& c : cases)
    EXPECT_EQ(c.args, CommandLineArguments(static_cast<int>(c.argv.size()), c.argv.data()))
        << c.argv.size();
}

TEST(PlatformPosix, ReplacedFilesKeepTheirModes) {
  test::TScratch dir;
  for (const mode_t mode : {0600u, 0640u, 0755u}) {
    const std::string old = dir.File("old"), fresh = dir.File("new");
    test::Put(old, "x");
    ::chmod(old.c_str(), mode);
    const int fd = OpenForWriting(fresh, TOpenMode::CreateNew);
    ASSERT_GE(fd, 0);
    EXPECT_TRUE(CopyModes(old, fd));
    CloseFile(fd);
    struct stat st {};
    ASSERT_EQ(0, ::stat(fresh.c_str(), &st));
    EXPECT_EQ(mode, st.st_mode & 07777) << std::oct << mode;
    RemoveFile(fresh);
  }
}

// Any right of the group or of others counts, not only reading.
TEST(PlatformPosix, OthersMeansAnyGroupOrOtherBit) {
  test::TScratch dir;
  const std::string path = dir.File("f");
  test::Put(path, "x");
  struct {
    mode_t mode;
    bool others;
  } cases[] = {{0600, false}, {0400, false}, {0700, false}, {0640, true},
               {0660, true},  {0604, true},  {0601, true},  {0610, true}};
  for (const auto& c : cases) {
    ASSERT_EQ(0, ::chmod(path.c_str(), c.mode));
    bool others = !c.others;
    ASSERT_TRUE(OthersMayRead(path, others)) << std::oct << c.mode;
    EXPECT_EQ(c.others, others) << std::oct << c.mode;
  }
}

TEST(PlatformPosix, OwnerOnlyFilesAre0600WhateverTheUmask) {
  test::TScratch dir;
  for (const mode_t mask : {0u, 022u, 077u}) {
    const mode_t before = ::umask(mask);
    const std::string path = dir.File("f" + std::to_string(mask));
    const bool made = CreateOwnerOnlyFile(path);
    ::umask(before);
    ASSERT_TRUE(made) << std::oct << mask;
    struct stat st {};
    ASSERT_EQ(0, ::stat(path.c_str(), &st));
    EXPECT_EQ(0600u, st.st_mode & 07777) << std::oct << mask;
  }
}

// The offset in named zones, in winter and in summer (2026-01-15 and 2026-07-15, 12:00 UTC).
TEST(PlatformPosix, UtcOffsetOfTheZoneInForce) {
  const std::time_t winter = 1768478400, summer = 1784116800;
  struct {
    const char* tz;
    int winter, summer;
  } cases[] = {
      {"UTC0", 0, 0},
      {"CET-1CEST,M3.5.0,M10.5.0/3", 60, 120},
      {"IST-5:30", 330, 330},
      {"NST3:30NDT,M3.2.0,M11.1.0", -210, -150},
      {"AEST-10AEDT,M10.1.0,M4.1.0/3", 660, 600},  // summer in January
  };
  const char* saved = std::getenv("TZ");
  const std::string before = saved != nullptr ? saved : "";
  for (const auto& c : cases) {
    ::setenv("TZ", c.tz, 1);
    ::tzset();
    EXPECT_EQ(c.winter, UtcOffsetMinutes(winter)) << c.tz;
    EXPECT_EQ(c.summer, UtcOffsetMinutes(summer)) << c.tz;
  }
  if (saved != nullptr)
    ::setenv("TZ", before.c_str(), 1);
  else
    ::unsetenv("TZ");
  ::tzset();
}

}  // namespace
}  // namespace pzam::platform
