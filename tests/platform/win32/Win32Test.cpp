// The Windows side's own rules: the configuration folder in APPDATA, backslashes, the regional
// time pictures through the C runtime, the system's error texts, the version resource, console
// events and the window messages the tools' loop dispatches while it waits.
#include <gtest/gtest.h>
#include <windows.h>
//
#include <aclapi.h>
#include <sddl.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <iterator>
#include <set>
#include <thread>

#include "../Scratch.h"
#include "common/EventLoop.h"
#include "common/FormatSettings.h"
#include "common/Paths.h"
#include "platform/FileRights.h"
#include "platform/Folders.h"
#include "platform/Regional.h"
#include "platform/Signals.h"
#include "platform/SystemErrors.h"
#include "platform/VersionResource.h"
#include "platform/win32/Acl.h"
#include "platform/win32/Wide.h"

namespace pzam::platform {
namespace {

TEST(PlatformWin32, ConfigFolderRule) {
  struct {
    const char *xdg, *home, *appData, *folder;
  } cases[] = {
      {"", "", "C:\\Users\\Jörg\\AppData\\Roaming", "C:\\Users\\Jörg\\AppData\\Roaming\\pzam\\"},
      {"", "", "C:\\Users\\u\\AppData\\Roaming\\", "C:\\Users\\u\\AppData\\Roaming\\pzam\\"},
      {"", "", "\\\\server\\profiles\\u", "\\\\server\\profiles\\u\\pzam\\"},
      {"", "", "Roaming", ""},             // relative: not taken
      {"/x/cfg", "C:\\Users\\u", "", ""},  // XDG and the home folder are POSIX's
      {"", "", "", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.folder, UserConfigFolderFor({c.xdg, c.home, c.appData})) << c.appData;
}

TEST(PlatformWin32, ConfigEnvironmentTakesAppDataElseTheKnownFolder) {
  const wchar_t* saved = ::_wgetenv(L"APPDATA");
  const std::wstring before = saved ? saved : L"";
  ::_wputenv_s(L"APPDATA", L"C:\\Users\\J\u00f6rg\\AppData\\Roaming");
  EXPECT_EQ("C:\\Users\\Jörg\\AppData\\Roaming", ConfigEnvironment().AppData);
  ::_wputenv_s(L"APPDATA", L"");  // unset
  const std::string known = ConfigEnvironment().AppData;
  EXPECT_FALSE(known.empty());
  EXPECT_TRUE(FsPath(known).is_absolute()) << known;
  ::_wputenv_s(L"APPDATA", before.c_str());
}

TEST(PlatformWin32, BothSlashesSeparateFolders) {
  struct {
    const char *path, *dir;
  } cases[] = {{"C:\\PZAM\\PZAM.exe", "C:\\PZAM\\"},
               {"C:/PZAM/PZAM.exe", "C:/PZAM/"},
               {"C:\\PZAM/sub\\x.ini", "C:\\PZAM/sub\\"},
               {"\\\\server\\share\\PZAM.exe", "\\\\server\\share\\"},
               {"PZAM.exe", ""}};
  for (const auto& c : cases) EXPECT_EQ(c.dir, DirectoryOf(c.path)) << c.path;
}

TEST(PlatformWin32, TimePicturesPrintThroughTheRuntime) {
  const TDateTime morning{2026, 12, 8, 9, 5, 3}, evening{2026, 12, 8, 21, 45, 7};
  struct {
    const char* picture;
    const char *morning, *evening;
  } cases[] = {{"HH:mm:ss", "09:05:03", "21:45:07"},
               {"H:mm:ss", "9:05:03", "21:45:07"},
               {"hh:mm:ss tt", "09:05:03 AM", "09:45:07 PM"},
               {"h:m:s", "9:5:3", "9:45:7"},
               {"HH' Uhr 'mm", "09 Uhr 05", "21 Uhr 45"}};
  for (const auto& c : cases) {
    TFormatSettings fs;
    fs.LongTimeFormat = TimeFormatFromPicture(c.picture);
    EXPECT_EQ(c.morning, TimeToText(morning, fs)) << c.picture;
    EXPECT_EQ(c.evening, TimeToText(evening, fs)) << c.picture;
  }
}

TEST(PlatformWin32, ErrorTextsAreTheSystemsWithoutTheFullStop) {
  // The wording is the system's (and Wine's differs): what the platform adds is checked.
  struct {
    int err;
    bool diskFull;
  } cases[] = {{ENOENT, false}, {EACCES, false}, {ENOSPC, true}, {EINVAL, false}, {EROFS, false}};
  std::set<std::string> texts;
  for (const auto& c : cases) {
    const std::string english = SystemErrorText(c.err, "en_US.UTF-8");
    ASSERT_FALSE(english.empty()) << c.err;
    EXPECT_NE('.', english.back()) << english;
    EXPECT_NE('\n', english.back()) << english;
    EXPECT_NE(' ', english.back()) << english;
    EXPECT_EQ(english, SystemErrorText(c.err, "xx_YY.UTF-8")) << c.err;  // unknown: English
    EXPECT_EQ(english, SystemErrorText(c.err, "en_GB")) << c.err;
    EXPECT_FALSE(SystemErrorText(c.err).empty()) << c.err;
    EXPECT_EQ(c.diskFull, IsDiskFull(c.err)) << c.err;
    texts.insert(english);
  }
  EXPECT_EQ(std::size(cases), texts.size());  // each error its own words
}

TEST(PlatformWin32, VersionComesFromTheResource) {
  EXPECT_EQ(PZAM_VERSION_STRING, ExecutableVersionString(ExecutablePath()));
  EXPECT_STREQ(PZAM_VERSION_STRING, BuiltVersionString());
  test::TScratch dir;
  // The marker other systems embed is no version resource.
  test::Put(dir.File("fake.exe"), std::string("MZ\x01PZAM-FileVersion=9.9.9.9\0", 28));
  EXPECT_EQ("", ExecutableVersionString(dir.File("fake.exe")));
  EXPECT_EQ("", ExecutableVersionString(dir.File("missing.exe")));
}

TEST(PlatformWin32, ConsoleEventsStandForIntAndTerm) {
  EXPECT_FALSE(CatchSignal(kSignalHangUp, [](int) {}));
  static std::atomic<int> caught{0};
  ASSERT_TRUE(CatchSignal(SIGINT, [](int signo) { caught = signo; }));
  if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0)) {
    ReleaseSignal(SIGINT);
    GTEST_SKIP() << "no console to send Ctrl+C to";
  }
  for (int i = 0; i < 200 && caught == 0; ++i) Sleep(10);
  ReleaseSignal(SIGINT);
  EXPECT_EQ(SIGINT, caught.load());
}

LRESULT CALLBACK CountingWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) {
    auto* seen = reinterpret_cast<std::atomic<DWORD>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    seen->store(GetCurrentThreadId());
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

TEST(PlatformWin32, LoopDispatchesWindowMessagesWhileItWaits) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = &CountingWindow;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"PzamLoopTest";
  RegisterClassW(&windowClass);
  TEventLoop loop;
  const HWND window = CreateWindowExW(0, L"PzamLoopTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  ASSERT_NE(nullptr, window);
  std::atomic<DWORD> seen{0};
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&seen));
  // From another thread, as the system sends device changes: the loop is asleep by then.
  std::thread poster([&] {
    Sleep(50);
    PostMessageW(window, WM_APP, 0, 0);
  });
  int waited = 0;
  loop.AddTimer(std::chrono::milliseconds(10), [&] {
    if (seen != 0 || ++waited > 300) loop.Quit();
  });
  loop.Run();
  poster.join();
  EXPECT_EQ(GetCurrentThreadId(), seen.load());
  DestroyWindow(window);
}

// The offset in zones the C runtime's TZ names (its summer time follows the US rules), in winter
// and in summer (2026-01-15 and 2026-07-15, 12:00 UTC).
TEST(PlatformWin32, UtcOffsetOfTheZoneInForce) {
  const std::time_t winter = 1768478400, summer = 1784116800;
  struct {
    const char* tz;
    int winter, summer;
  } cases[] = {{"UTC0", 0, 0},
               {"IST-5:30", 330, 330},
               {"NST3:30", -210, -210},
               {"CET-1CEST", 60, 120},
               {"EST5EDT", -300, -240}};
  const char* saved = std::getenv("TZ");
  const std::string before = saved != nullptr ? saved : "";
  for (const auto& c : cases) {
    ::_putenv_s("TZ", c.tz);
    ::_tzset();
    EXPECT_EQ(c.winter, UtcOffsetMinutes(winter)) << c.tz;
    EXPECT_EQ(c.summer, UtcOffsetMinutes(summer)) << c.tz;
  }
  ::_putenv_s("TZ", before.c_str());
  ::_tzset();
}

// The DACL's entries are read in order, denials included; generic rights count as the file's.
// On DACLs in memory: Wine keeps none on its files (src/platform/win32/FileRights.cpp).
TEST(PlatformWin32, WhoElseMayReadFollowsTheDacl) {
  struct {
    const wchar_t* sddl;
    bool others;
  } cases[] = {
      {L"D:P", false},
      {L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;S-1-5-21-1-2-3-1001)", false},
      {L"D:P(A;;FR;;;WD)", true},               // Everyone
      {L"D:P(A;;GR;;;AU)", true},               // Authenticated Users, generic read
      {L"D:P(A;;GA;;;BU)", true},               // Users, generic all
      {L"D:P(A;;0x1;;;BU)", true},              // FILE_READ_DATA alone
      {L"D:P(A;;FW;;;WD)", false},              // writing is not reading
      {L"D:P(A;;FR;;;S-1-5-32-546)", false},    // Guests are not among the three
      {L"D:P(D;;FR;;;WD)(A;;FR;;;WD)", false},  // denied first
      {L"D:P(A;;FR;;;WD)(D;;FR;;;WD)", true},   // allowed first
      {L"D:P(D;;FR;;;WD)(A;;FR;;;BU)", false},  // a denial to Everyone covers Users
      {L"D:P(D;;FR;;;BU)(A;;FR;;;WD)", true},   // Everyone is more than Users
      {L"D:P(D;;FW;;;WD)(A;;FR;;;WD)", true},   // a denial of writing leaves reading
      {L"D:P(A;OICIIO;FR;;;WD)", false},        // for children only
  };
  for (const auto& c : cases) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(
        ConvertStringSecurityDescriptorToSecurityDescriptorW(c.sddl, SDDL_REVISION_1, &sd, nullptr))
        << win32::Utf8(c.sddl);
    BOOL present = FALSE, defaulted = FALSE;
    ACL* dacl = nullptr;
    ASSERT_TRUE(GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted));
    EXPECT_EQ(c.others, win32::DaclLetsOthersRead(present ? dacl : nullptr)) << win32::Utf8(c.sddl);
    LocalFree(sd);
  }
  EXPECT_TRUE(win32::DaclLetsOthersRead(nullptr));  // no DACL: everyone may do everything
}

// A private file names no one but this user, SYSTEM and the Administrators, and this user may do
// everything. (Windows keeps the DACL as given, protected; Wine reports SYSTEM and the user.)
TEST(PlatformWin32, OwnerOnlyFilesNameNoOneElse) {
  test::TScratch dir;
  const std::string path = dir.File("private");
  ASSERT_TRUE(CreateOwnerOnlyFile(path));
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  ASSERT_EQ(DWORD{ERROR_SUCCESS}, GetNamedSecurityInfoW(win32::Wide(path).c_str(), SE_FILE_OBJECT,
                                                        DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                                        &dacl, nullptr, &sd));
  ASSERT_NE(nullptr, dacl);
  bool userHasAll = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, &ace));
    const auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, entry->Header.AceType) << i;
    wchar_t* text = nullptr;
    ASSERT_TRUE(ConvertSidToStringSidW(const_cast<DWORD*>(&entry->SidStart), &text));
    const std::wstring sid = text;
    LocalFree(text);
    EXPECT_TRUE(sid == win32::UserSidText() || sid == L"S-1-5-18" || sid == L"S-1-5-32-544")
        << win32::Utf8(sid);
    if (sid == win32::UserSidText() && (entry->Mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS)
      userHasAll = true;
  }
  EXPECT_TRUE(userHasAll);
  LocalFree(sd);
}

}  // namespace
}  // namespace pzam::platform
