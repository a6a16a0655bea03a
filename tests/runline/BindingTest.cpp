// The run binding on the recording comm layer: a removed port is reported at once, after the
// texts read up to the removal; a returning port is reopened at once and its cut-off telegram
// dropped; a binding that is gone delivers nothing it had queued.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "common/Dispatcher.h"
#include "config/TextIds.h"
#include "measurement/MeasurementRun.h"
#include "measurement/RunFakes.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "measurement/TestFiles.h"
#include "serial/COMManager.h"
#include "serial/LineParameters.h"
#include "serial/SerThread.h"
#include "support/FakeCommApi.h"

namespace pzam::measurement {
namespace {

using namespace std::chrono_literals;

// The window thread of the test: posted work waits until the test runs it.
class TPostedWork : public IDispatcher {
 public:
  void Post(std::function<void()> fn) override {
    std::lock_guard lock(FMutex);
    FWork.push_back(std::move(fn));
    FChanged.notify_all();
  }
  void Send(std::function<void()> fn) override { fn(); }

  // Runs posted work as it comes until done() holds or `timeout` has passed; done() at the end.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
      std::deque<std::function<void()>> work;
      {
        std::unique_lock lock(FMutex);
        if (!FChanged.wait_until(lock, deadline, [&] { return !FWork.empty(); })) break;
        work.swap(FWork);
      }
      for (auto& fn : work) fn();
    }
    return done();
  }

 private:
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::deque<std::function<void()>> FWork;
};

const std::string kFirst = "@ANZ     001@IST   1,000@MWT   1,000@STW   0,000\x17";

class BindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Comm.SetPresent({"COM1", "COM3"});
    Manager.RescanPorts();
    Serial.SetCOMPort(3);
    serial::ApplyLineParameters(Serial, 0, 0);
    Choices.Texts = {{textid::kPortRemoved, "removed"}, {textid::kPortReopened, "back"}};
    Run.Initialise();
    ASSERT_TRUE(Serial.Active());
  }
  void TearDown() override {
    Binding.reset();
    if (Run.Running()) Run.End();
    // The event threads end once their port is closed; none may outlive the test.
    Serial.ClosePort();
    EXPECT_TRUE(serial::WaitForEventThreads(5s));
  }
  void RemovePort() {
    Comm.SetPresent({"COM1"});
    Manager.PortDeviceChanged(false);
  }
  void ReturnPort() {
    Comm.SetPresent({"COM1", "COM3"});
    Manager.PortDeviceChanged(true);
  }
  std::string LastMemo(std::size_t back = 0) const {
    return View.Memo.size() > back ? View.Memo[View.Memo.size() - 1 - back] : "";
  }

  comm::TFakeCommApi Comm;
  serial::TCOMManager Manager{Comm, 4};
  TPostedWork Window;
  TRunSerial Serial{Comm, Manager, &Window};
  test::TRecordingView View;
  test::TFixedChoices Choices;
  TSerialRunPort Port{Serial};
  test::TTempDir Dir;
  TMeasurementRun Run{View, Choices, Port, {Dir.Dir().string(), [](std::chrono::milliseconds) {}}};
  std::unique_ptr<TSerialRunBinding> Binding =
      std::make_unique<TSerialRunBinding>(Serial, Run, View, Choices, Window);
};

TEST_F(BindingTest, RemovalReportsAtOnceAfterWhatWasReadBefore) {
  // The telegram is still in the receive queue (the event thread waits its 200 ms) when the port
  // goes: the removal reads it, and its value line comes before the removal's line.
  Comm.Receive(kFirst);
  RemovePort();
  EXPECT_FALSE(Serial.Active());
  EXPECT_TRUE(Binding->PortLost());
  EXPECT_EQ(LastMemo(), "removed");
  EXPECT_NE(LastMemo(1).find("001"), std::string::npos) << LastMemo(1);
  EXPECT_EQ(View.Panels[TPanel::Pa_Anz], "001");
  const std::size_t lines = View.Memo.size();
  Window.RunUntil([] { return false; }, 400ms);  // the event thread's late read finds nothing
  EXPECT_EQ(View.Memo.size(), lines);
  EXPECT_TRUE(Run.Running());
}

TEST_F(BindingTest, ReturnReopensAtOnceAndDropsTheCutOffValue) {
  // Mode 3: a value is a line; the cut-off "+1,5" must not run into the first value after return.
  Run.End();
  Choices.Mode = 3;
  serial::ApplyLineParameters(Serial, 3, 0);
  Run.Initialise();
  Comm.Receive("+1,5");  // no carriage return: waits in the queue
  RemovePort();
  ASSERT_EQ(LastMemo(), "removed");
  ReturnPort();
  EXPECT_TRUE(Serial.Active());
  EXPECT_FALSE(Binding->PortLost());
  EXPECT_EQ(LastMemo(), "back");
  Comm.Receive("+2,000\r");
  ASSERT_TRUE(Window.RunUntil([&] { return View.Panels[TPanel::Pa_Anz] != "000"; }, 3s));
  EXPECT_EQ(View.Panels[TPanel::Pa_Anz], "001");
  EXPECT_NE(View.Panels[TPanel::Pa_Ist].find("2,000"), std::string::npos)
      << View.Panels[TPanel::Pa_Ist];
}

TEST_F(BindingTest, APortBackAfterTheRunEndedStaysClosed) {
  RemovePort();
  Run.End();
  EXPECT_FALSE(Binding->PortLost());
  ReturnPort();
  EXPECT_FALSE(Serial.Active());
  // A new run opens it itself; an earlier loss does not count for it.
  Run.Initialise();
  EXPECT_TRUE(Serial.Active());
  EXPECT_FALSE(Binding->PortLost());
}

TEST_F(BindingTest, ABindingThatIsGoneDeliversNothingItQueued) {
  Comm.Receive(kFirst);
  std::this_thread::sleep_for(400ms);  // the event thread has read and queued it
  Binding.reset();
  const std::size_t lines = View.Memo.size();
  Window.RunUntil([] { return false; }, 100ms);
  EXPECT_EQ(View.Memo.size(), lines);
  EXPECT_EQ(View.Panels[TPanel::Pa_Anz], "000");
}

}  // namespace
}  // namespace pzam::measurement
