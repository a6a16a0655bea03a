// The built program as a child process: a signal closes its window as the operator would, so the
// settings read at start-up are written back at close, also when the signal comes at once.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "config/Profile.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

namespace pzam::test {
namespace {

namespace fs = std::filesystem;

// True once the process has a handler for signo (the "SigCgt" mask of /proc/PID/status).
bool WaitForHandler(pid_t pid, int signo, TMillis timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < end) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
      if (!line.starts_with("SigCgt:")) continue;
      const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
      if ((mask >> (signo - 1)) & 1) return true;
    }
    std::this_thread::sleep_for(20ms);
  }
  return false;
}

TEST(ProgramClose, SigtermWritesTheSettingsBackAtClose) {
  struct {
    int signo;
    TMillis delay;
  } cases[] = {{SIGTERM, 0ms}, {SIGTERM, 600ms}, {SIGINT, 300ms}};
  for (const auto& c : cases) {
    TTempDir dir;
    for (const char* name : {"PZAM", "lng_deutsch.lng", "lng_english.lng"})
      fs::copy_file(fs::path(PZAM_BIN_DIR) / name, dir.Dir() / name);
    const std::string ini = dir.File("PZAMConfig.ini");
    WriteFile(ini,
              "[Select]\nReqMode=3\nFileMode=2\nCableType=1\nQuorvMode=1\n"
              "[Language]\nLastLanguage=english\n");
    TChildProcess program({dir.File("PZAM"), {}, dir.Path(), {"QT_QPA_PLATFORM=offscreen"}});
    ASSERT_TRUE(WaitForHandler(program.Pid(), c.signo, 10s)) << program.Stderr();
    std::this_thread::sleep_for(c.delay);
    program.Signal(c.signo);
    EXPECT_EQ(0, program.WaitForExit(10s)) << program.Stderr();
    EXPECT_EQ("3", ReadProfileString(ini, "Select", "ReqMode", "")) << c.delay.count();
    EXPECT_EQ("2", ReadProfileString(ini, "Select", "FileMode", ""));
    EXPECT_EQ("1", ReadProfileString(ini, "Select", "CableType", ""));
    EXPECT_EQ("1", ReadProfileString(ini, "Select", "QuorvMode", ""));
    EXPECT_EQ("english", ReadProfileString(ini, "Language", "LastLanguage", ""));
    EXPECT_EQ(95u, ReadProfileString(ini, "Serial", "COM", "").size());
  }
}

}  // namespace
}  // namespace pzam::test
