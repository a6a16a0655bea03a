// The modem-line port against the recording comm layer: line levels, opening, polling and the
// line-watch thread.
#include "serial/SerPort.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

#include "serial/SerThread.h"
#include "support/FakeCommApi.h"

namespace pzam::serial {
namespace {

using namespace pzam::comm;
using namespace std::chrono_literals;
using Calls = std::vector<std::string>;

// A comm layer whose modem status the test sets.
class TModemApi : public TFakeCommApi {
 public:
  void SetStatus(uint32_t s) { FStatus = s; }
  bool GetCommModemStatus(HANDLE h, uint32_t& status) override {
    const bool ok = TFakeCommApi::GetCommModemStatus(h, status);
    if (ok) status = FStatus;
    return ok;
  }

 private:
  std::atomic<uint32_t> FStatus{0};
};

class SerPort : public ::testing::Test {
 protected:
  static TModemApi& WithPorts(TModemApi& api) {
    api.SetPresent({"COM3"});
    return api;
  }
  void TearDown() override { EXPECT_TRUE(WaitForEventThreads(5s)); }
  TModemApi api;
  TCOMManager manager{WithPorts(api), 4};
  TSerPort port{api, manager};
};

TEST_F(SerPort, NewPortReadsAllInputsFalse) {
  EXPECT_EQ(port.COMPort(), 3);
  EXPECT_EQ(port.ThreadPriority(), TThreadPriority::tpIdle);
  EXPECT_FALSE(port.In_DCD() || port.In_DSR() || port.In_CTS() || port.In_RI());
  EXPECT_TRUE(port.Out_TxD());
  EXPECT_FALSE(port.Out_DTR() || port.Out_RTS());
  api.ClearCalls();
  port.SetOut_RTS(true);  // closed: only stored
  EXPECT_TRUE(api.Calls().empty());
}

TEST_F(SerPort, PollingOpeningAndOutputs) {
  port.SetPollingMode(true);
  api.ClearCalls();
  ASSERT_TRUE(port.OpenPort());
  EXPECT_EQ(api.CallNames(),
            (Calls{"CreateFile", "SetupComm", "BuildCommDCB", "SetCommState", "EscapeCommFunction",
                   "EscapeCommFunction", "EscapeCommFunction"}));
  const Calls calls = api.Calls();
  EXPECT_EQ(Calls(calls.end() - 3, calls.end()),
            (Calls{"EscapeCommFunction(100,5)", "EscapeCommFunction(100,3)",
                   "EscapeCommFunction(100,9)"}));  // SETDTR, SETRTS, CLRBREAK
  EXPECT_EQ(manager.Owner(0), &port);
  EXPECT_EQ(RunningEventThreads(), 0);

  port.SetOut_RTS(true);
  EXPECT_EQ(api.Calls().back(), "EscapeCommFunction(100,4)");  // CLRRTS at once
  port.SetOut_TxD(false);
  EXPECT_EQ(api.Calls().back(), "EscapeCommFunction(100,8)");

  // Polling reads the port and refreshes only the line asked for.
  api.SetStatus(MS_CTS_ON);  // CTS on, the others off
  EXPECT_FALSE(port.In_CTS());
  EXPECT_EQ(api.Calls().back(), "GetCommModemStatus(100)");
  api.SetStatus(0);
  EXPECT_TRUE(port.In_RI());
  port.ClosePort();
  EXPECT_EQ(api.Calls().back(), "CloseHandle(100)");
  api.ClearCalls();
  EXPECT_FALSE(port.In_CTS());  // closed: the last level, no call
  EXPECT_TRUE(port.In_RI());
  EXPECT_TRUE(api.Calls().empty());
}

TEST_F(SerPort, FailedOpenings) {
  port.SetCOMPort(0);
  EXPECT_FALSE(port.OpenPort());
  EXPECT_EQ(api.Calls().size(), 4u);  // only the manager's probes
  port.SetCOMPort(3);
  api.FailCall("SetCommState", ERROR_NOT_SUPPORTED, 1);
  EXPECT_FALSE(port.OpenPort());
  EXPECT_EQ(port.LastOpenError().Code, ERROR_NOT_SUPPORTED);
  EXPECT_EQ(api.OpenHandleCount(), 0u);
  EXPECT_FALSE(port.Active());
}

// What the line-watch handlers saw, from their thread.
struct TSeen {
  std::mutex Mutex;
  std::condition_variable Changed;
  std::vector<std::string> Events;
  void Add(std::string e) {
    std::lock_guard lock(Mutex);
    Events.push_back(std::move(e));
    Changed.notify_all();
  }
  bool WaitFor(size_t n) {
    std::unique_lock lock(Mutex);
    return Changed.wait_for(lock, 5s, [&] { return Events.size() >= n; });
  }
};

TEST_F(SerPort, LineWatchRaisesInOrderWithFreshCaches) {
  TSeen seen;
  port.SetOnCts([&](TSerPort& p) { seen.Add(std::string("Cts:") + (p.In_CTS() ? "off" : "on")); });
  port.SetOnDsr([&](TSerPort& p) { seen.Add(std::string("Dsr:") + (p.In_DSR() ? "off" : "on")); });
  port.SetOnRing([&](TSerPort&) { seen.Add("Ring"); });
  port.SetOnDcd([&](TSerPort& p) { seen.Add(std::string("Dcd:") + (p.In_DCD() ? "off" : "on")); });
  ASSERT_TRUE(port.OpenPort());
  const Calls calls = api.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetCommMask(100,0x138)"), calls.end());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.SetStatus(MS_DSR_ON);
  api.RaiseEvents(EV_DSR);
  ASSERT_TRUE(seen.WaitFor(1));
  ASSERT_TRUE(api.WaitForWaitCall(2, 5s));
  api.SetStatus(MS_CTS_ON | MS_RLSD_ON);
  api.RaiseEvents(EV_RLSD | EV_CTS);
  ASSERT_TRUE(seen.WaitFor(3));
  EXPECT_EQ(seen.Events, (std::vector<std::string>{"Dsr:on", "Cts:on", "Dcd:on"}));
  EXPECT_TRUE(port.In_DSR());  // from the cache of the last wait
  port.ClosePort();
}

TEST_F(SerPort, HandlerErrorDoesNotEndTheWatch) {
  TSeen seen;
  int calls = 0;
  port.SetOnRing([&](TSerPort&) {
    if (++calls == 1) throw std::runtime_error("ring failed");
    seen.Add("Ring");
  });
  port.SetOnHandlerError([&](TSerPort&, const std::string& text) { seen.Add(text); });
  ASSERT_TRUE(port.OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.RaiseEvents(EV_RING);
  ASSERT_TRUE(seen.WaitFor(1));
  ASSERT_TRUE(api.WaitForWaitCall(2, 5s));
  api.RaiseEvents(EV_RING);
  ASSERT_TRUE(seen.WaitFor(2));
  EXPECT_EQ(seen.Events, (std::vector<std::string>{"ring failed", "Ring"}));
  port.ClosePort();
}

TEST_F(SerPort, RemovalEndsTheWatch) {
  bool removed = false;
  port.SetOnCOMRemoved([&](TCustomSerial&) { removed = true; });
  port.SetOnCts([](TSerPort&) {});
  ASSERT_TRUE(port.OpenPort());
  api.SetPresent({});
  EXPECT_TRUE(manager.RescanPorts());
  EXPECT_TRUE(removed);
  EXPECT_FALSE(port.Active());
  EXPECT_EQ(api.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace pzam::serial
