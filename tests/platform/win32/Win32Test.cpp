// The Windows side's own rules: the configuration folder in APPDATA, backslashes, the regional
// time pictures through the C runtime, the system's error texts, the version resource, console
// events and the window messages the tools' loop dispatches while it waits.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <set>
#include <thread>

#include "../Scratch.h"
#include "common/EventLoop.h"
#include "common/FormatSettings.h"
#include "common/Paths.h"
#include "platform/Folders.h"
#include "platform/Regional.h"
#include "platform/Signals.h"
#include "platform/SystemErrors.h"
#include "platform/VersionResource.h"

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

}  // namespace
}  // namespace pzam::platform
