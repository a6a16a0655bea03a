#include <gtest/gtest.h>

#include <string>

#include "serial/comm/CommApi.h"
#include "serial/comm/EventCharEmulation.h"

namespace pzam::comm {
namespace {

const uint8_t* Bytes(const std::string& s) {
  return reinterpret_cast<const uint8_t*>(s.data());
}

std::string TakeAll(TEventCharEmulation& e) {
  std::string out(e.Queued(), '\0');
  out.resize(e.Take(reinterpret_cast<uint8_t*>(out.data()), out.size()));
  return out;
}

struct TMaskCase {
  const char* name;
  char evtChar;
  bool driverKeeps;
  uint32_t callerMask;
  uint32_t driverMask;
  bool active;  // waits move the driver's bytes and look for the character
};

TEST(EventCharEmulation, AsksTheDriverForReceivedBytesOnlyWhenItMustFindTheCharacter) {
  const TMaskCase cases[] = {
      {"lost character, flag wanted", '\r', false, EV_RXFLAG, EV_RXFLAG | EV_RXCHAR, true},
      {"lost character, both wanted", '\r', false, EV_RXFLAG | EV_RXCHAR, EV_RXFLAG | EV_RXCHAR,
       true},
      {"lost character, lines only", '\r', false, EV_CTS | EV_DSR, EV_CTS | EV_DSR, false},
      {"character kept by the driver", '\r', true, EV_RXFLAG, EV_RXFLAG, false},
      {"no character asked for", 0, false, EV_RXFLAG | EV_CTS, EV_RXFLAG | EV_CTS, false},
      {"mask cleared", '\r', false, 0, 0, false},
  };
  for (const auto& c : cases) {
    TEventCharEmulation e;
    e.Configure(c.evtChar, c.driverKeeps);
    EXPECT_EQ(e.SetMask(c.callerMask), c.driverMask) << c.name;
    EXPECT_EQ(e.DriverMask(), c.driverMask) << c.name;
    EXPECT_EQ(e.Active(), c.active) << c.name;
  }
}

struct TWaitCase {
  const char* name;
  char evtChar;
  uint32_t callerMask;
  std::string stored;     // moved from the driver during the wait
  uint32_t driverEvents;  // what the driver's wait ended with
  uint32_t expected;      // reported to the caller; 0 = wait again
};

TEST(EventCharEmulation, ReportsWhatTheCallerAskedForFromTheBytesAndTheDriver) {
  const TWaitCase cases[] = {
      {"whole telegram", '\r', EV_RXFLAG, "+0012.345\r", EV_RXCHAR, EV_RXFLAG},
      {"telegram not yet ended", '\r', EV_RXFLAG, "+0012.", EV_RXCHAR, 0},
      {"bytes, caller wants them too", '\r', EV_RXFLAG | EV_RXCHAR, "+0012.", EV_RXCHAR, EV_RXCHAR},
      {"telegram, caller wants both", '\r', EV_RXFLAG | EV_RXCHAR, "1\r", EV_RXCHAR,
       EV_RXFLAG | EV_RXCHAR},
      {"two telegrams at once", '\r', EV_RXFLAG, "1\r2\r", EV_RXCHAR, EV_RXFLAG},
      {"line event, no bytes", '\r', EV_RXFLAG | EV_CTS, "", EV_CTS, EV_CTS},
      {"line event not asked for", '\r', EV_RXFLAG, "", EV_DSR, 0},
      {"other end character", '\x03', EV_RXFLAG, "12\r", EV_RXCHAR, 0},
      {"other end character found", '\x03', EV_RXFLAG, "12\x03", EV_RXCHAR, EV_RXFLAG},
      {"character above 0x7F", '\xFF', EV_RXFLAG, "a\xFF", EV_RXCHAR, EV_RXFLAG},
      {"NUL byte is no end character", '\xFF', EV_RXFLAG, std::string("a\0", 2), EV_RXCHAR, 0},
  };
  for (const auto& c : cases) {
    TEventCharEmulation e;
    e.Configure(c.evtChar, false);
    e.SetMask(c.callerMask);
    e.Store(Bytes(c.stored), c.stored.size());
    EXPECT_EQ(e.Report(c.driverEvents), c.expected) << c.name;
    EXPECT_EQ(e.Report(0), 0u) << c.name << ": reported twice";
    EXPECT_EQ(TakeAll(e), c.stored) << c.name;
  }
}

// Bytes a read takes from the driver directly were never seen by a wait: their event character
// must still be reported, once, by the next wait, as a driver reports an event from its history.
TEST(EventCharEmulation, CharacterInADirectReadIsKeptForTheNextWait) {
  struct TCase {
    const char* name;
    bool driverKeeps;
    uint32_t callerMask;
    std::string read;
    uint32_t kept;
  };
  const TCase cases[] = {
      {"character read directly", false, EV_RXFLAG, "5\r", EV_RXFLAG},
      {"no character in the read", false, EV_RXFLAG, "5.0", 0},
      {"driver keeps the character", true, EV_RXFLAG, "5\r", 0},  // the driver reports it
      {"caller does not wait for it", false, EV_RXCHAR, "5\r", 0},
  };
  for (const auto& c : cases) {
    TEventCharEmulation e;
    e.Configure('\r', c.driverKeeps);
    e.SetMask(c.callerMask);
    e.Scan(Bytes(c.read), c.read.size());
    EXPECT_EQ(e.Queued(), 0u) << c.name << ": a scan queues nothing";
    EXPECT_EQ(e.TakeKept(), c.kept) << c.name;
    EXPECT_EQ(e.TakeKept(), 0u) << c.name << ": kept twice";
  }
}

TEST(EventCharEmulation, NewMaskForgetsKeptEvents) {
  TEventCharEmulation e;
  e.Configure('\r', false);
  e.SetMask(EV_RXFLAG | EV_RXCHAR);
  e.Store(Bytes("7\r"), 2);
  e.SetMask(EV_RXFLAG);
  EXPECT_EQ(e.TakeKept(), 0u);
  EXPECT_EQ(e.Queued(), 2u);  // the bytes stay for the reader
}

TEST(EventCharEmulation, ReadsTakeTheQueueInOrderAcrossStores) {
  TEventCharEmulation e;
  e.Configure('\r', false);
  e.SetMask(EV_RXFLAG);
  e.Store(Bytes("ab"), 2);
  e.Store(Bytes("cd\r"), 3);
  uint8_t buf[8] = {};
  ASSERT_EQ(e.Take(buf, 3), 3u);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 3), "abc");
  EXPECT_EQ(e.Queued(), 2u);
  EXPECT_EQ(TakeAll(e), "d\r");
  EXPECT_EQ(e.Take(buf, sizeof buf), 0u);
}

TEST(EventCharEmulation, FullQueueLosesNewBytesAsOverrunButStillFindsTheCharacter) {
  TEventCharEmulation e;
  e.Configure('\r', false);
  e.SetMask(EV_RXFLAG);
  e.SetLimit(4);
  e.Store(Bytes("abc"), 3);
  e.Store(Bytes("de\r"), 3);
  EXPECT_EQ(e.Report(EV_RXCHAR), EV_RXFLAG);
  EXPECT_EQ(TakeAll(e), "abcd");
  e.KeepErrors(CE_FRAME);
  EXPECT_EQ(e.TakeErrors(), CE_RXOVER | CE_FRAME);
  EXPECT_EQ(e.TakeErrors(), 0u);
}

}  // namespace
}  // namespace pzam::comm
