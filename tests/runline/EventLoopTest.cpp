// The command-line tools' window thread: posted work, Send across threads, watched descriptors,
// timers and signals, and no CPU while nothing happens.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <vector>

#include "common/EventLoop.h"
#include "support/ProcessCpu.h"

namespace pzam {
namespace {

using namespace std::chrono_literals;

using test::ProcessCpu;

TEST(EventLoop, PostedWorkRunsOnTheLoopInOrderAndQuitEndsIt) {
  TEventLoop loop;
  std::vector<int> seen;  // touched on the loop thread only
  bool onLoop = true;
  std::vector<std::thread> posters;
  for (int t = 0; t < 3; ++t) {
    posters.emplace_back([&, t] {
      for (int i = 0; i < 100; ++i)
        loop.Post([&, v = t * 1000 + i] {
          onLoop = onLoop && loop.InLoopThread();
          seen.push_back(v);
        });
    });
  }
  std::thread quitter([&] {
    for (auto& p : posters) p.join();
    loop.Post([&] { loop.Quit(); });
  });
  loop.Run();
  quitter.join();
  ASSERT_EQ(seen.size(), 300u);
  EXPECT_TRUE(onLoop);
  int last[3] = {-1, -1, -1};
  for (int v : seen) {
    EXPECT_GT(v % 1000, last[v / 1000]) << "out of order: " << v;
    last[v / 1000] = v % 1000;
  }
}

TEST(EventLoop, SendWaitsForTheLoopAndRunsAtOnceOnIt) {
  TEventLoop loop;
  int value = 0;
  loop.Send([&] { value = 1; });  // on the loop thread: at once, without Run
  EXPECT_EQ(value, 1);
  std::thread other([&] {
    loop.Send([&] { value = 2; });
    EXPECT_EQ(value, 2);  // visible as soon as Send returns
    loop.Quit();
  });
  loop.Run();
  other.join();
  // A send the loop never runs does not hang its caller.
  std::thread late([&] { EXPECT_FALSE(loop.SendOrDrop([&] { value = 3; })); });
  late.join();
  EXPECT_EQ(value, 2);
}

TEST(EventLoop, WatchedDescriptorsTimersAndSignals) {
  TEventLoop loop;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string got;
  loop.Watch(fds[0], [&] {
    char c;
    if (read(fds[0], &c, 1) == 1) got += c;
    if (got == "ab") loop.Unwatch(fds[0]);
  });
  int ticks = 0;
  int timer = loop.AddTimer(10ms, [&] {
    if (++ticks == 3) loop.RemoveTimer(timer);
  });
  bool signalled = false;
  loop.OnSignal(SIGUSR1, [&] {
    signalled = true;
    loop.AddTimer(50ms, [&] { loop.Quit(); });
  });
  ASSERT_EQ(write(fds[1], "abc", 3), 3);
  std::thread raiser([] {
    std::this_thread::sleep_for(30ms);
    kill(getpid(), SIGUSR1);
  });
  loop.Run();
  raiser.join();
  EXPECT_EQ(got, "ab");  // unwatched after two bytes, though a third waits
  EXPECT_EQ(ticks, 3);
  EXPECT_TRUE(signalled);
  close(fds[0]);
  close(fds[1]);
}

TEST(EventLoop, IdleLoopCostsNoCpu) {
  TEventLoop loop;
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  loop.Watch(fds[0], [] {});
  loop.AddTimer(100ms, [] {});
  std::thread quitter([&] {
    std::this_thread::sleep_for(500ms);
    loop.Quit();
  });
  const auto before = ProcessCpu();
  loop.Run();
  EXPECT_LT(ProcessCpu() - before, 25ms);
  quitter.join();
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace pzam
