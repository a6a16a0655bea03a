// The event thread of a TSerial: dispatch order, dropped events, handler errors, and closing or
// destroying the component while the thread waits or a handler runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>
#include <thread>

#include "serial/SerThread.h"
#include "serial/Serial.h"
#include "support/FakeCommApi.h"

namespace pzam::serial {
namespace {

using namespace pzam::comm;
using namespace std::chrono_literals;
using Names = std::vector<std::string>;

// What the handlers saw, filled from the event thread.
class TLog {
 public:
  void Add(const std::string& entry) {
    std::lock_guard lock(FMutex);
    FEntries.push_back(entry);
    FChanged.notify_all();
  }
  bool WaitFor(size_t n) {
    std::unique_lock lock(FMutex);
    return FChanged.wait_for(lock, 5s, [&] { return FEntries.size() >= n; });
  }
  Names Entries() const {
    std::lock_guard lock(FMutex);
    return FEntries;
  }

 private:
  mutable std::mutex FMutex;
  std::condition_variable FChanged;
  Names FEntries;
};

// A window thread of its own, for SyncEventHandling.
class TWindowThread : public IDispatcher {
 public:
  TWindowThread() : FThread([this] { Run(); }) {}
  ~TWindowThread() override {
    Post({});
    FThread.join();
  }
  void Post(std::function<void()> fn) override {
    std::lock_guard lock(FMutex);
    FQueue.push_back(std::move(fn));
    FChanged.notify_all();
  }
  void Send(std::function<void()> fn) override {
    std::promise<void> done;
    Post([&] {
      fn();
      done.set_value();
    });
    done.get_future().wait();
  }
  std::thread::id Id() const { return FThread.get_id(); }

 private:
  void Run() {
    for (;;) {
      std::function<void()> fn;
      {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [&] { return !FQueue.empty(); });
        fn = std::move(FQueue.front());
        FQueue.pop_front();
      }
      if (!fn) return;
      fn();
    }
  }
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::function<void()>> FQueue;
  std::thread FThread;
};

class SerialThread : public ::testing::Test {
 protected:
  void TearDown() override {
    // No event thread may outlive the comm layer it waits on.
    EXPECT_TRUE(WaitForEventThreads(5s));
  }
  TFakeCommApi api;
  TCOMManager manager{WithPresent(api, {"COM1"}), 4};
  TLog log;
};

TEST_F(SerialThread, DispatchOrderOfOneWait) {
  TSerial serial(api, manager);
  const std::pair<TSerialEventKind, const char*> kinds[] = {
      {TSerialEventKind::TxEmpty, "TxEmpty"}, {TSerialEventKind::EventChar, "EventChar"},
      {TSerialEventKind::Data, "Data"},       {TSerialEventKind::RxChar, "RxChar"},
      {TSerialEventKind::Dcd, "Dcd"},         {TSerialEventKind::Ring, "Ring"},
      {TSerialEventKind::Error, "Error"},     {TSerialEventKind::Dsr, "Dsr"},
      {TSerialEventKind::Cts, "Cts"},         {TSerialEventKind::Break, "Break"}};
  for (const auto& [kind, name] : kinds) {
    serial.SetEvent(kind, [this, name = std::string(name)](TSerial& sender) {
      log.Add(name + ":" + std::to_string(sender.InQueCount()));
    });
  }
  serial.SetDataSize(5);
  ASSERT_TRUE(serial.OpenPort());
  const Names calls = api.Calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "SetCommMask(100,0x1FF)"), calls.end());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.RaiseEvents(0x1FF);
  ASSERT_TRUE(log.WaitFor(9));
  EXPECT_EQ(log.Entries(), (Names{"Break:0", "Cts:0", "Dsr:0", "Error:0", "Ring:0", "Dcd:0",
                                  "RxChar:0", "EventChar:0", "TxEmpty:0"}));
  // OnData only once DataSize bytes are waiting.
  ASSERT_TRUE(api.WaitForWaitCall(2, 5s));
  api.Receive("abc");
  ASSERT_TRUE(api.WaitForWaitCall(3, 5s));
  api.Receive("de\r");
  ASSERT_TRUE(log.WaitFor(13));
  const Names all = log.Entries();
  EXPECT_EQ(Names(all.begin() + 9, all.end()),
            (Names{"RxChar:3", "RxChar:6", "Data:6", "EventChar:6"}));
  serial.ClosePort();
}

TEST_F(SerialThread, OnlyEventsOfTheMaskAtOpeningAreRaised) {
  TSerial serial(api, manager);
  serial.SetOnEventChar([this](TSerial& s) { log.Add("EventChar:" + s.ReadText()); });
  ASSERT_TRUE(serial.OpenPort());
  serial.SetOnRxChar([this](TSerial&) { log.Add("RxChar"); });  // not in the mask
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("+1.000\r");
  ASSERT_TRUE(log.WaitFor(1));
  ASSERT_TRUE(api.WaitForWaitCall(2, 5s));
  EXPECT_EQ(log.Entries(), (Names{"EventChar:+1.000\r"}));
  serial.ClosePort();
}

TEST_F(SerialThread, DisabledEventsAreDroppedNotKept) {
  TSerial serial(api, manager);
  serial.SetOnEventChar([this](TSerial& s) { log.Add(s.ReadText()); });
  serial.SetEnableEvents(false);
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("A\r");
  ASSERT_TRUE(api.WaitForWaitCall(2, 5s));  // dispatched and waiting again
  EXPECT_TRUE(log.Entries().empty());
  EXPECT_TRUE(serial.Active());
  serial.SetEnableEvents(true);
  api.Receive("B\r");
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.Entries(), (Names{"A\rB\r"}));  // the bytes stay, the old event is gone
  ASSERT_TRUE(api.WaitForWaitCall(3, 5s));
  EXPECT_EQ(log.Entries().size(), 1u);
  serial.ClosePort();
}

TEST_F(SerialThread, HandlerErrorIsReportedAndTheThreadGoesOn) {
  TSerial serial(api, manager);
  std::atomic<int> calls{0};
  serial.SetOnEventChar([&](TSerial& s) {
    const std::string text = s.ReadText();
    if (++calls == 1) throw std::runtime_error("'x' is not a valid number");
    if (calls == 2) throw 42;
    log.Add("read:" + text);
  });
  serial.SetOnHandlerError([&](TSerial& sender, const std::string& text) {
    EXPECT_EQ(&sender, &serial);
    log.Add("error:" + text);
  });
  ASSERT_TRUE(serial.OpenPort());
  size_t n = 0;
  for (const char* telegram : {"x\r", "y\r", "+2.5\r"}) {
    ++n;
    ASSERT_TRUE(api.WaitForWaitCall(n, 5s));
    api.Receive(telegram);
    ASSERT_TRUE(log.WaitFor(n));
  }
  ASSERT_TRUE(log.WaitFor(3));
  EXPECT_EQ(log.Entries(), (Names{"error:'x' is not a valid number",
                                  "error:unknown error in a serial event handler", "read:+2.5\r"}));
  EXPECT_TRUE(serial.Active());
  serial.ClosePort();
}

TEST_F(SerialThread, CloseDoesNotWaitForARunningHandler) {
  TSerial serial(api, manager);
  std::promise<void> entered, release;
  auto released = release.get_future().share();
  serial.SetOnEventChar([&](TSerial& s) {
    entered.set_value();
    released.wait();
    log.Add("after close:" + s.ReadText() + ":" + std::to_string(s.WriteText("STO0\r")));
  });
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("1\r");
  entered.get_future().wait();
  serial.ClosePort();  // returns while the handler still runs
  EXPECT_FALSE(serial.Active());
  EXPECT_EQ(RunningEventThreads(), 1);
  release.set_value();
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.Entries(), (Names{"after close::0"}));
  EXPECT_TRUE(WaitForEventThreads(5s));
  EXPECT_EQ(api.CountOf("WaitCommEvent"), 1u);  // no wait after closing
}

TEST_F(SerialThread, DestroyWhileWaiting) {
  auto serial = std::make_unique<TSerial>(api, manager);
  serial->SetOnEventChar([this](TSerial&) { log.Add("event"); });
  ASSERT_TRUE(serial->OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  serial.reset();
  EXPECT_TRUE(WaitForEventThreads(5s));
  EXPECT_EQ(api.OpenHandleCount(), 0u);
  EXPECT_TRUE(log.Entries().empty());
}

TEST_F(SerialThread, DestroyWaitsForAHandlerThatUsesTheComponent) {
  auto serial = std::make_unique<TSerial>(api, manager);
  std::promise<void> entered;
  std::atomic<bool> handlerDone{false};
  serial->SetOnEventChar([&](TSerial& s) {
    entered.set_value();
    std::this_thread::sleep_for(100ms);
    s.ReadText();  // the sender is still alive here
    handlerDone = true;
  });
  ASSERT_TRUE(serial->OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("1\r");
  entered.get_future().wait();
  serial.reset();
  EXPECT_TRUE(handlerDone);
}

TEST_F(SerialThread, ClosingFromInsideAHandler) {
  TSerial serial(api, manager);
  serial.SetOnEventChar([this](TSerial& s) {
    s.ClosePort();
    log.Add(s.Active() ? "open" : "closed");
  });
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("\r");
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.Entries(), (Names{"closed"}));
  EXPECT_TRUE(WaitForEventThreads(5s));
}

TEST_F(SerialThread, SyncEventHandlingRunsHandlersOnTheWindowThread) {
  TWindowThread window;
  TSerial serial(api, manager, &window);
  serial.SetSyncEventHandling(true);
  std::thread::id ranOn;
  serial.SetOnEventChar([&](TSerial& s) {
    ranOn = std::this_thread::get_id();
    log.Add(s.ReadText());
  });
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(api.WaitForWaitCall(1, 5s));
  api.Receive("S\r");
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(ranOn, window.Id());
  serial.ClosePort();
}

TEST_F(SerialThread, FailingWaitsAreRetriedWithoutSpinning) {
  TSerial serial(api, manager);
  serial.SetOnEventChar([](TSerial&) {});
  api.FailCall("WaitCommEvent", ERROR_GEN_FAILURE);
  ASSERT_TRUE(serial.OpenPort());
  std::this_thread::sleep_for(300ms);
  const size_t waits = api.CountOf("WaitCommEvent");
  EXPECT_GE(waits, 2u);
  EXPECT_LE(waits, 10u);
  serial.ClosePort();
}

TEST_F(SerialThread, EachOpeningHasItsOwnThread) {
  TSerial serial(api, manager);
  serial.SetOnEventChar([this](TSerial& s) { log.Add(s.ReadText()); });
  ASSERT_TRUE(serial.OpenPort());
  serial.ClosePort();
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(api.WaitForWaiters(1, 5s));
  api.Receive("2\r");
  ASSERT_TRUE(log.WaitFor(1));
  EXPECT_EQ(log.Entries(), (Names{"2\r"}));
  serial.ClosePort();
  EXPECT_TRUE(WaitForEventThreads(5s));
  EXPECT_EQ(RunningEventThreads(), 0);

  serial.SetOnEventChar(nullptr);  // no handler: no thread at all
  ASSERT_TRUE(serial.OpenPort());
  EXPECT_EQ(RunningEventThreads(), 0);
  serial.ClosePort();
}

}  // namespace
}  // namespace pzam::serial
