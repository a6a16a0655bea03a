// The driver behaviour of the POSIX backend on a pseudo-terminal: receive queue, events,
// waking waits, hang-up, exclusive opening, transparency and time-outs.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "PtyPair.h"

namespace pzam::comm {
namespace {

using test::ReadyWithin;
using test::RunAsync;
using test::TPtyBackend;

constexpr uint32_t kMaxDword = 0xFFFFFFFFu;

// CPU time (user + system) the whole process used while fn ran.
template <typename Fn>
std::chrono::microseconds CpuDuring(Fn fn) {
  auto cpu = [] {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return std::chrono::seconds(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           std::chrono::microseconds(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
  };
  auto before = cpu();
  fn();
  return std::chrono::duration_cast<std::chrono::microseconds>(cpu() - before);
}

class PosixPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(B.Pty.Ok());
    H = B.Open();
    ASSERT_NE(H, INVALID_HANDLE_VALUE) << B.Api->LastErrorText();
    DCB dcb;
    ASSERT_TRUE(B.Api->BuildCommDCB("baud=9600 parity=N data=8 stop=1", dcb));
    dcb.EvtChar = '\r';
    ASSERT_TRUE(B.Api->SetCommState(H, dcb)) << B.Api->LastErrorText();
  }
  void TearDown() override {
    if (H != INVALID_HANDLE_VALUE) B.Api->CloseHandle(H);
  }
  // Waits for an event of the mask; fails the test instead of hanging.
  uint32_t Wait(int timeoutMs = 2000) {
    auto f = RunAsync([this] {
      uint32_t ev = 0;
      return B.Api->WaitCommEvent(H, ev, nullptr) ? ev : 0xDEADu;
    });
    if (!ReadyWithin(f, timeoutMs)) {
      ADD_FAILURE() << "WaitCommEvent did not return";
      B.Api->SetCommMask(H, 0);
    }
    return f.get();
  }
  // Starts a wait, checks that it blocks while nothing new arrives, sends bytes; the events the
  // wait returns with (0xDEAD when it failed).
  uint32_t NextWaitAfterSending(const std::string& bytes) {
    auto f = RunAsync([this] {
      uint32_t ev = 0;
      return B.Api->WaitCommEvent(H, ev, nullptr) ? ev : 0xDEADu;
    });
    EXPECT_FALSE(ReadyWithin(f, 50)) << "the wait returned before the send";
    EXPECT_TRUE(B.Pty.Send(bytes));
    if (!ReadyWithin(f, 2000)) {
      ADD_FAILURE() << "WaitCommEvent did not return after the send";
      B.Api->SetCommMask(H, 0);
    }
    return f.get();
  }
  uint32_t InQueue() {
    uint32_t errors = 0;
    COMSTAT stat;
    EXPECT_TRUE(B.Api->ClearCommError(H, errors, &stat));
    return stat.cbInQue;
  }
  std::string ReadAll() {
    std::string text(InQueue(), '\0');
    uint32_t got = 0;
    EXPECT_TRUE(B.Api->ReadFile(H, text.data(), static_cast<uint32_t>(text.size()), got, nullptr));
    text.resize(got);
    return text;
  }

  TPtyBackend B;
  HANDLE H = INVALID_HANDLE_VALUE;
};

TEST_F(PosixPort, EventCharacterInTheMiddleOfAChunk) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  ASSERT_TRUE(B.Pty.Send("+0012.345\r+00"));
  EXPECT_EQ(Wait(), EV_RXFLAG);
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 2000;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  char buf[13];
  uint32_t n = 0;
  ASSERT_TRUE(B.Api->ReadFile(H, buf, sizeof buf, n, nullptr));
  EXPECT_EQ(std::string(buf, n), "+0012.345\r+00");
  // One event character, one event: the next wait waits for the next one.
  EXPECT_EQ(NextWaitAfterSending("1\r"), EV_RXFLAG);
}

TEST_F(PosixPort, SeveralTelegramsInOneChunkGiveOneWaitAndAllBytes) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG | EV_RXCHAR));
  const std::string telegrams = "01:+1.000\r02:+2.000\r03:+3.000\r";
  ASSERT_TRUE(B.Pty.Send(telegrams));
  std::string got;
  uint32_t seen = 0;
  while (got.size() < telegrams.size()) {
    seen |= Wait();
    got += ReadAll();
  }
  EXPECT_EQ(got, telegrams);
  EXPECT_EQ(seen, EV_RXFLAG | EV_RXCHAR);
}

TEST_F(PosixPort, EventsWhileNobodyWaitsAreKeptForTheNextWait) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  ASSERT_TRUE(B.Pty.Send("A\r"));
  // Nobody waits yet; the first wait afterwards finds the event at once.
  EXPECT_EQ(Wait(), EV_RXFLAG);
  // Taken once: the next wait blocks until something new arrives.
  EXPECT_EQ(NextWaitAfterSending("B\r"), EV_RXFLAG);
}

TEST_F(PosixPort, SetCommMaskWakesAPendingWaitWithNoEvents) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  auto f = RunAsync([this] {
    uint32_t ev = 0x55;
    bool ok = B.Api->WaitCommEvent(H, ev, nullptr);
    return std::make_pair(ok, ev);
  });
  ASSERT_FALSE(ReadyWithin(f, 50));
  ASSERT_TRUE(B.Api->SetCommMask(H, 0));
  ASSERT_TRUE(ReadyWithin(f, 1000));
  auto [ok, ev] = f.get();
  EXPECT_TRUE(ok);
  EXPECT_EQ(ev, 0u);
  // With mask 0 there is nothing to wait for: the call fails at once.
  uint32_t ev2 = 0;
  EXPECT_FALSE(B.Api->WaitCommEvent(H, ev2, nullptr));
  EXPECT_EQ(B.Api->GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(PosixPort, CloseHandleWakesAPendingWaitAndAPendingRead) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  auto wait = RunAsync([this] {
    uint32_t ev = 0;
    bool ok = B.Api->WaitCommEvent(H, ev, nullptr);
    return std::make_pair(ok, B.Api->GetLastError());
  });
  auto read = RunAsync([this] {
    char buf[10];
    uint32_t got = 0;
    return B.Api->ReadFile(H, buf, sizeof buf, got, nullptr);  // all-zero time-outs: blocks
  });
  ASSERT_FALSE(ReadyWithin(wait, 50));
  ASSERT_FALSE(ReadyWithin(read, 0));
  ASSERT_TRUE(B.Api->CloseHandle(H));
  ASSERT_TRUE(ReadyWithin(wait, 1000));
  ASSERT_TRUE(ReadyWithin(read, 1000));
  auto [ok, err] = wait.get();
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, ERROR_OPERATION_ABORTED);
  EXPECT_FALSE(read.get());
  uint32_t ev = 0;
  EXPECT_FALSE(B.Api->WaitCommEvent(H, ev, nullptr));
  EXPECT_EQ(B.Api->GetLastError(), ERROR_INVALID_HANDLE);
  EXPECT_FALSE(B.Api->CloseHandle(H));
  H = INVALID_HANDLE_VALUE;
  // Closed means released: the port opens again at once.
  HANDLE again = B.Open();
  EXPECT_NE(again, INVALID_HANDLE_VALUE) << B.Api->LastErrorText();
  B.Api->CloseHandle(again);
}

TEST_F(PosixPort, HangUpFailsTheWaitAndCallsTheCallbackOnce) {
  std::mutex m;
  std::condition_variable cv;
  std::vector<std::string> calls;
  B.Api->SetHangupCallback([&](const std::string& name) {
    std::lock_guard lock(m);
    calls.push_back(name);
    cv.notify_all();
  });
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  auto wait = RunAsync([this] {
    uint32_t ev = 0;
    bool ok = B.Api->WaitCommEvent(H, ev, nullptr);
    return std::make_pair(ok, B.Api->GetLastError());
  });
  ASSERT_FALSE(ReadyWithin(wait, 50));
  B.Pty.CloseMaster();  // the other end goes away, as a pulled adapter
  ASSERT_TRUE(ReadyWithin(wait, 2000));
  auto [ok, err] = wait.get();
  EXPECT_FALSE(ok);
  EXPECT_EQ(err, ERROR_DEVICE_REMOVED);
  {
    std::unique_lock lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(2), [&] { return !calls.empty(); }));
  }
  // Later calls fail the same way, and the callback is not called again.
  uint32_t ev = 0;
  EXPECT_FALSE(B.Api->WaitCommEvent(H, ev, nullptr));
  EXPECT_EQ(B.Api->GetLastError(), ERROR_DEVICE_REMOVED);
  uint32_t n = 0;
  EXPECT_FALSE(B.Api->WriteFile(H, "PRI\r", 4, n, nullptr));
  EXPECT_EQ(B.Api->GetLastError(), ERROR_DEVICE_REMOVED);
  std::lock_guard lock(m);
  EXPECT_EQ(calls, std::vector<std::string>{"COM5"});
}

TEST_F(PosixPort, BytesBeforeAHangUpCanStillBeRead) {
  std::promise<void> hungUp;
  B.Api->SetHangupCallback([&](const std::string&) { hungUp.set_value(); });
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  ASSERT_TRUE(B.Pty.Send("+1.5\r"));
  EXPECT_EQ(Wait(), EV_RXFLAG);
  B.Pty.CloseMaster();
  ASSERT_EQ(hungUp.get_future().wait_for(std::chrono::seconds(2)), std::future_status::ready);
  EXPECT_EQ(ReadAll(), "+1.5\r");
}

TEST_F(PosixPort, IdlePortAndHungUpPortCostNoCpu) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  auto wait = RunAsync([this] {
    uint32_t ev = 0;
    return B.Api->WaitCommEvent(H, ev, nullptr);
  });
  auto idle = CpuDuring([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
  EXPECT_LT(idle, std::chrono::milliseconds(30));
  // After the hang-up the device is no longer watched (its POLLHUP would never end).
  B.Pty.CloseMaster();
  ASSERT_TRUE(ReadyWithin(wait, 2000));
  EXPECT_FALSE(wait.get());
  auto after = CpuDuring([] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
  EXPECT_LT(after, std::chrono::milliseconds(30));
}

TEST_F(PosixPort, SecondOpenIsASharingViolation) {
  for (const char* name : {"COM5", "\\\\.\\COM5", "com5"}) {
    EXPECT_EQ(B.Open(name), INVALID_HANDLE_VALUE) << name;
    EXPECT_EQ(B.Api->GetLastError(), ERROR_SHARING_VIOLATION) << name;
    EXPECT_NE(B.Api->LastErrorText().find("in use"), std::string::npos);
  }
  // Another backend object (as another program would) is refused too.
  TPosixCommApi other(B.Names);
  EXPECT_EQ(other.CreateFile("COM5", GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING, 0),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(other.GetLastError(), ERROR_SHARING_VIOLATION);
}

TEST_F(PosixPort, OpenFailuresKeepTheReason) {
  EXPECT_EQ(B.Open("COM7"), INVALID_HANDLE_VALUE);  // nothing assigned
  EXPECT_EQ(B.Api->GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(B.Open("LPT1"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(B.Api->GetLastError(), ERROR_FILE_NOT_FOUND);
  B.Names.SetExplicitMap({{5, B.Pty.SlavePath()}, {6, "/dev/null"}, {8, "/nonexistent/tty"}});
  EXPECT_EQ(B.Open("COM6"), INVALID_HANDLE_VALUE);  // not a terminal
  EXPECT_EQ(B.Api->GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(B.Open("COM8"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(B.Api->GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_NE(B.Api->LastErrorText().find("/nonexistent/tty"), std::string::npos);
}

TEST_F(PosixPort, AllByteValuesPassUnchangedBothWays) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 2000;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  ASSERT_TRUE(B.Pty.Send(all));
  std::string got(256, '\0');
  uint32_t n = 0;
  ASSERT_TRUE(B.Api->ReadFile(H, got.data(), 256, n, nullptr));
  EXPECT_EQ(n, 256u);
  EXPECT_EQ(got, all);
  ASSERT_TRUE(B.Api->WriteFile(H, all.data(), 256, n, nullptr));
  EXPECT_EQ(n, 256u);
  EXPECT_EQ(B.Pty.Receive(256), all);
}

TEST_F(PosixPort, ParityCheckingKeepsDataBytesIntact) {
  // With parity checking the kernel marks errors in the input; plain 0xFF and 0x00 bytes must
  // still come through as they are.
  DCB dcb;
  ASSERT_TRUE(B.Api->BuildCommDCB("baud=9600 parity=E data=8 stop=1", dcb));
  dcb.Flags |= DCB_fParity;
  ASSERT_TRUE(B.Api->SetCommState(H, dcb));
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 2000;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  const std::string data("\xFF\x00\xFF\xFFz\x00\x00", 7);
  ASSERT_TRUE(B.Pty.Send(data));
  std::string got(7, '\0');
  uint32_t n = 0;
  ASSERT_TRUE(B.Api->ReadFile(H, got.data(), 7, n, nullptr));
  EXPECT_EQ(got.substr(0, n), data);
}

TEST_F(PosixPort, NullBytesAreDroppedWithFNull) {
  DCB dcb;
  ASSERT_TRUE(B.Api->BuildCommDCB("baud=9600 parity=N data=8 stop=1", dcb));
  dcb.Flags |= DCB_fNull;
  dcb.EvtChar = '\r';
  ASSERT_TRUE(B.Api->SetCommState(H, dcb));
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  ASSERT_TRUE(B.Pty.Send(std::string("1\0002\0\r", 5)));
  EXPECT_EQ(Wait(), EV_RXFLAG);
  EXPECT_EQ(ReadAll(), "12\r");
}

TEST_F(PosixPort, ByteTwentyThreeFirstIsData) {
  // 23 is VWERASE in cooked mode; the port is raw from its opening on.
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  ASSERT_TRUE(
      B.Pty.Send(std::string("\x17"
                             "12\x7f\x15\x03\r",
                             7)));
  EXPECT_EQ(Wait(), EV_RXFLAG);
  EXPECT_EQ(ReadAll(), std::string("\x17"
                                   "12\x7f\x15\x03\r",
                                   7));
}

TEST_F(PosixPort, ReadTimeouts) {
  char buf[16];
  uint32_t n = 99;
  // MAXDWORD interval: returns at once with what is there (nothing).
  COMMTIMEOUTS t;
  t.ReadIntervalTimeout = kMaxDword;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  EXPECT_TRUE(B.Api->ReadFile(H, buf, sizeof buf, n, nullptr));
  EXPECT_EQ(n, 0u);

  // A total time-out completes the read with the bytes that came, as success.
  t = COMMTIMEOUTS{};
  t.ReadTotalTimeoutConstant = 100;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  ASSERT_TRUE(B.Pty.Send("abc"));
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(B.Api->ReadFile(H, buf, sizeof buf, n, nullptr));
  auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(std::string(buf, n), "abc");
  EXPECT_GE(took, std::chrono::milliseconds(90));
  EXPECT_LT(took, std::chrono::milliseconds(1500));

  // MAXDWORD interval and multiplier: returns as soon as the first bytes are there.
  t = COMMTIMEOUTS{};
  t.ReadIntervalTimeout = kMaxDword;
  t.ReadTotalTimeoutMultiplier = kMaxDword;
  t.ReadTotalTimeoutConstant = 5000;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  auto first = RunAsync([&] {
    uint32_t got = 0;
    B.Api->ReadFile(H, buf, sizeof buf, got, nullptr);
    return got;
  });
  ASSERT_FALSE(ReadyWithin(first, 30));
  ASSERT_TRUE(B.Pty.Send("x"));
  ASSERT_TRUE(ReadyWithin(first, 2000));
  EXPECT_EQ(first.get(), 1u);

  // All zero: blocks until the full count is there.
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, COMMTIMEOUTS{}));
  auto full = RunAsync([&] {
    uint32_t got = 0;
    B.Api->ReadFile(H, buf, 4, got, nullptr);
    return got;
  });
  ASSERT_TRUE(B.Pty.Send("12"));
  EXPECT_FALSE(ReadyWithin(full, 50));
  ASSERT_TRUE(B.Pty.Send("34"));
  ASSERT_TRUE(ReadyWithin(full, 2000));
  EXPECT_EQ(full.get(), 4u);
  EXPECT_EQ(std::string(buf, 4), "1234");
}

TEST_F(PosixPort, ReceiveQueueIsBoundedBySetupCommAndLosesNothing) {
  ASSERT_TRUE(B.Api->SetupComm(H, 64, 64));
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_RXFLAG));
  std::string data;
  for (int i = 0; i < 300; ++i) data.push_back(static_cast<char>('a' + i % 26));
  data += '\r';
  ASSERT_TRUE(B.Pty.Send(data));
  // The queue holds 64; the rest waits in the kernel until reads make room.
  std::string got;
  COMMTIMEOUTS t;
  t.ReadTotalTimeoutConstant = 2000;
  ASSERT_TRUE(B.Api->SetCommTimeouts(H, t));
  while (got.size() < data.size()) {
    uint32_t errors = 0;
    COMSTAT stat;
    ASSERT_TRUE(B.Api->ClearCommError(H, errors, &stat));
    EXPECT_LE(stat.cbInQue, 64u);
    char buf[40];
    uint32_t n = 0;
    auto want = static_cast<uint32_t>(std::min(sizeof buf, data.size() - got.size()));
    ASSERT_TRUE(B.Api->ReadFile(H, buf, want, n, nullptr));
    ASSERT_GT(n, 0u);
    got.append(buf, n);
  }
  EXPECT_EQ(got, data);
}

TEST_F(PosixPort, WriteCompletesAndGetOverlappedResultGivesTheCount) {
  ASSERT_TRUE(B.Api->SetCommMask(H, EV_TXEMPTY));
  OVERLAPPED ov;
  uint32_t n = 0;
  ASSERT_TRUE(B.Api->WriteFile(H, "STO0\r", 5, n, &ov));
  EXPECT_EQ(n, 5u);
  uint32_t transferred = 0;
  ASSERT_TRUE(B.Api->GetOverlappedResult(H, &ov, transferred, true));
  EXPECT_EQ(transferred, 5u);
  EXPECT_EQ(B.Pty.Receive(5), "STO0\r");
  EXPECT_EQ(Wait(), EV_TXEMPTY);
}

TEST_F(PosixPort, ModemCallsFailOnAPseudoTerminal) {
  uint32_t status = 0;
  EXPECT_FALSE(B.Api->GetCommModemStatus(H, status));
  EXPECT_FALSE(B.Api->EscapeCommFunction(H, SETDTR));
  EXPECT_FALSE(B.Api->EscapeCommFunction(H, 77));
  EXPECT_EQ(B.Api->GetLastError(), ERROR_INVALID_PARAMETER);
  // The port goes on working.
  uint32_t n = 0;
  EXPECT_TRUE(B.Api->WriteFile(H, "x", 1, n, nullptr));
}

}  // namespace
}  // namespace pzam::comm
