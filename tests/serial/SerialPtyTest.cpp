// TSerial on the real POSIX backend, a pseudo-terminal playing the instrument (mapped as COM5).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "serial/PortWatch.h"
#include "serial/SerThread.h"
#include "serial/Serial.h"
#include "serial/comm/PtyPair.h"
#include "support/ProcessCpu.h"

namespace pzam::serial {
namespace {

using namespace std::chrono_literals;
using comm::test::TPtyBackend;

// The window thread is the test thread: posted work waits in a queue until RunOne.
class TQueueDispatcher : public IDispatcher {
 public:
  void Post(std::function<void()> fn) override {
    std::lock_guard lock(FMutex);
    FQueue.push_back(std::move(fn));
    FChanged.notify_all();
  }
  void Send(std::function<void()> fn) override { Post(std::move(fn)); }
  bool RunOne(std::chrono::milliseconds timeout) {
    std::function<void()> fn;
    {
      std::unique_lock lock(FMutex);
      if (!FChanged.wait_for(lock, timeout, [&] { return !FQueue.empty(); })) return false;
      fn = std::move(FQueue.front());
      FQueue.pop_front();
    }
    fn();
    return true;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::function<void()>> FQueue;
};

// Texts the event-character handler read, handed over from the event thread.
class TTexts {
 public:
  void Add(std::string text) {
    std::lock_guard lock(FMutex);
    FAll += text;
    FChanged.notify_all();
  }
  // Waits until the texts read so far have at least n bytes.
  std::string WaitFor(size_t n) {
    std::unique_lock lock(FMutex);
    FChanged.wait_for(lock, 5s, [&] { return FAll.size() >= n; });
    return FAll;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::string FAll;
};

class SerialPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(backend.Pty.Ok());
    serial.SetCOMPort(5);
    ASSERT_EQ(serial.COMPort(), 5);
    serial.SetEventChar('\r');
    serial.SetOnEventChar([this](TSerial& s) { texts.Add(s.ReadText()); });
  }
  void TearDown() override {
    serial.ClosePort();
    EXPECT_TRUE(WaitForEventThreads(5s));
  }
  TPtyBackend backend;
  TCOMManager manager{*backend.Api, 5};
  TSerial serial{*backend.Api, manager};
  TTexts texts;
};

TEST_F(SerialPty, TelegramInAndAnswerOut) {
  serial.SetBaudrate(4800);
  serial.SetDataBits(TDataBits::db_7);
  serial.SetParityBit(TParityBit::even);
  serial.SetStopBits(TStopBits::sb_2);
  ASSERT_TRUE(serial.OpenPort()) << serial.LastOpenError().Text;
  ASSERT_TRUE(backend.Pty.Send("+0012.345\r"));
  EXPECT_EQ(texts.WaitFor(10), "+0012.345\r");
  EXPECT_EQ(serial.WriteText("STO0\r"), 5u);
  EXPECT_EQ(backend.Pty.Receive(5), "STO0\r");
}

TEST_F(SerialPty, EventCharacterInTheMiddleOfAChunkLosesNothing) {
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_TRUE(backend.Pty.Send("+1.0\r+2.0\r+3"));
  ASSERT_TRUE(backend.Pty.Send(".0\r"));
  EXPECT_EQ(texts.WaitFor(15), "+1.0\r+2.0\r+3.0\r");
}

TEST_F(SerialPty, AllByteValuesPassUnchanged) {
  serial.SetEventChar(0x17);
  ASSERT_TRUE(serial.OpenPort());
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  ASSERT_TRUE(backend.Pty.Send(all));
  EXPECT_EQ(texts.WaitFor(256).substr(0, 256), all);
  EXPECT_EQ(serial.WriteText(all), 256u);
  EXPECT_EQ(backend.Pty.Receive(256), all);
}

TEST_F(SerialPty, SecondOpeningFailsWithTheReason) {
  ASSERT_TRUE(serial.OpenPort());
  TSerial other(*backend.Api, manager);
  other.SetCOMPort(5);
  EXPECT_FALSE(other.OpenPort());
  EXPECT_EQ(other.LastOpenError().Code, comm::ERROR_SHARING_VIOLATION);
  EXPECT_FALSE(other.LastOpenError().Text.empty());
  EXPECT_EQ(other.ReadText(), "");
}

TEST_F(SerialPty, UnassignedPortFailsWithTheReason) {
  serial.SetCOMPortUnchecked(7);
  EXPECT_FALSE(serial.OpenPort());
  EXPECT_EQ(serial.LastOpenError().Code, comm::ERROR_FILE_NOT_FOUND);
}

TEST_F(SerialPty, CloseWhileWaitingEndsTheThread) {
  ASSERT_TRUE(serial.OpenPort());
  std::this_thread::sleep_for(20ms);  // let the thread reach its wait
  serial.ClosePort();
  EXPECT_TRUE(WaitForEventThreads(2s));
}

using test::ProcessCpu;

TEST_F(SerialPty, IdleOpenPortCostsNoCpu) {
  ASSERT_TRUE(serial.OpenPort());
  const auto before = ProcessCpu();
  std::this_thread::sleep_for(500ms);
  EXPECT_LT(ProcessCpu() - before, 25ms);
}

TEST_F(SerialPty, HangUpRemovesThePortThroughTheManager) {
  TQueueDispatcher window;
  TPortWatch watch(manager, window, *backend.Api);
  bool removed = false;
  serial.SetOnCOMRemoved([&](TCustomSerial&) { removed = true; });
  ASSERT_TRUE(serial.OpenPort());
  ASSERT_EQ(manager.Owner(0), &serial);
  backend.Pty.CloseMaster();  // the instrument's end goes away
  ASSERT_TRUE(window.RunOne(5s));
  EXPECT_TRUE(removed);
  EXPECT_FALSE(serial.Active());
  EXPECT_EQ(serial.WriteText("x"), 0u);
  EXPECT_TRUE(WaitForEventThreads(5s));
}

}  // namespace
}  // namespace pzam::serial
