// The presence probe (GetDefaultCommConfig) on ports mapped by the explicit map.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "PtyPair.h"
#include "common/ReasonTexts.h"

namespace pzam::comm {
namespace {

using test::TPtyBackend;

TEST(Probe, PtyMappedByTheExplicitMapIsPresentAndHeldPortsToo) {
  TPtyBackend b;
  ASSERT_TRUE(b.Pty.Ok());
  COMMCONFIG cfg;
  uint32_t size = sizeof cfg;
  ASSERT_TRUE(b.Api->GetDefaultCommConfig("COM5", &cfg, size)) << b.Api->LastErrorText();
  EXPECT_EQ(size, 52u);
  EXPECT_GT(cfg.dcb.BaudRate, 0u);
  EXPECT_EQ(cfg.dcb.DCBlength, 28u);
  // The prefixed form names the same port.
  EXPECT_TRUE(b.Api->GetDefaultCommConfig("\\\\.\\COM5", &cfg, size));

  // A port held open (exclusively) by someone is present all the same.
  HANDLE h = b.Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(b.Api->GetDefaultCommConfig("COM5", &cfg, size));
  // ... and probing did not disturb the open port.
  uint32_t n = 0;
  EXPECT_TRUE(b.Api->WriteFile(h, "ok", 2, n, nullptr));
  EXPECT_EQ(b.Pty.Receive(2), "ok");
  b.Api->CloseHandle(h);
}

TEST(Probe, AbsentPortsAndSmallBuffersFail) {
  TPtyBackend b;
  b.Names.SetExplicitMap({{5, b.Pty.SlavePath()}, {6, "/nonexistent/ttyX"}, {7, "/dev/null"}});
  COMMCONFIG cfg;
  struct TCase {
    const char* name;
    uint32_t size;
    uint32_t error;
  } cases[] = {
      {"COM5", 51, ERROR_INSUFFICIENT_BUFFER}, {"COM5", 0, ERROR_INSUFFICIENT_BUFFER},
      {"COM6", 52, ERROR_FILE_NOT_FOUND},      {"COM7", 52, ERROR_FILE_NOT_FOUND},
      {"COM9", 52, ERROR_FILE_NOT_FOUND},      {"COM100", 52, ERROR_FILE_NOT_FOUND},
  };
  for (const auto& c : cases) {
    uint32_t size = c.size;
    EXPECT_FALSE(b.Api->GetDefaultCommConfig(c.name, &cfg, size)) << c.name << " " << c.size;
    EXPECT_EQ(b.Api->GetLastError(), c.error) << c.name << " " << c.size;
    if (c.error == ERROR_INSUFFICIENT_BUFFER) {
      EXPECT_EQ(size, 52u);
    }
  }
}

// The reasons the backend words itself are in the language the program gave, for the probe
// and for the opening alike; the system's reasons are not the language's.
TEST(Probe, OwnReasonsAreInTheProgramsLanguage) {
  TPtyBackend b;
  b.Names.SetExplicitMap({{5, b.Pty.SlavePath()}, {7, "/dev/null"}});
  SetReasonTexts([](int id) {
    return id == kReasonNotASerialDevice ? std::string("Kein serielles Gerät: %s") : "0";
  });
  COMMCONFIG cfg;
  uint32_t size = sizeof cfg;
  EXPECT_FALSE(b.Api->GetDefaultCommConfig("COM7", &cfg, size));
  EXPECT_EQ(b.Api->LastErrorText(), "Kein serielles Gerät: /dev/null");
  EXPECT_EQ(b.Open("COM7"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(b.Api->LastErrorText(), "Kein serielles Gerät: /dev/null");
  // A second opener of a held port: the language lacks 9019, so the built-in words hold.
  HANDLE h = b.Open();
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(b.Open(), INVALID_HANDLE_VALUE);
  EXPECT_EQ(b.Api->LastErrorText(), "The port is in use by another program: " + b.Pty.SlavePath());
  b.Api->CloseHandle(h);
  SetReasonTexts({});
}

TEST(Probe, PortAfterTheOtherEndClosedIsGone) {
  TPtyBackend b;
  std::string path = b.Pty.SlavePath();
  // Holding the slave keeps its number from being handed to a pty another test opens meanwhile.
  const int slave = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  ASSERT_GE(slave, 0);
  b.Pty.CloseMaster();
  COMMCONFIG cfg;
  uint32_t size = sizeof cfg;
  EXPECT_FALSE(b.Api->GetDefaultCommConfig("COM5", &cfg, size)) << path;
  ::close(slave);
}

}  // namespace
}  // namespace pzam::comm
