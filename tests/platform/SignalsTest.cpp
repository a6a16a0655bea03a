// The signal pipe and standard input reaching the tools' event loop, as every system has them.
#include "platform/Signals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "StdinFromText.h"
#include "common/EventLoop.h"

namespace pzam::platform {
namespace {

TEST(PlatformSignals, SignalPipeNeverWaitsAndKeepsTheBytes) {
  int readFd = -1, writeFd = -1;
  ASSERT_TRUE(MakeSignalPipe(readFd, writeFd));
  unsigned char buf[8];
  struct {
    std::vector<unsigned char> written;
    long read;
  } cases[] = {{{}, 0}, {{2}, 1}, {{2, 15, 1}, 3}, {{}, 0}};
  for (const auto& c : cases) {
    for (unsigned char b : c.written) WriteSignalByte(writeFd, b);
    EXPECT_EQ(c.read, ReadSignalBytes(readFd, buf, sizeof buf)) << c.written.size();
    for (std::size_t i = 0; i < c.written.size(); ++i) EXPECT_EQ(c.written[i], buf[i]);
  }
  ClosePipeEnd(writeFd);
  EXPECT_EQ(0, ReadSignalBytes(readFd, buf, sizeof buf));  // writer gone: nothing, no wait
  ClosePipeEnd(readFd);
}

TEST(PlatformSignals, StandardInputReachesTheLoopInChunksThenItsEnd) {
  struct {
    const char* name;
    std::string input;
  } cases[] = {{"lines", "1\n2\r\nq\n"}, {"no final break", "abc"}, {"nothing", ""}};
  for (const auto& c : cases) {
    test::TStdinFromText stdinText(c.input);
    TEventLoop loop;
    std::string got;
    int ends = 0;
    bool onLoop = true;
    loop.WatchInput([&](std::string_view chunk) {
      onLoop = onLoop && loop.InLoopThread();
      got.append(chunk);
      if (chunk.empty() && ++ends == 1) loop.Quit();
    });
    const int guard = loop.AddTimer(std::chrono::seconds(5), [&] { loop.Quit(); });
    loop.Run();
    loop.RemoveTimer(guard);
    EXPECT_EQ(c.input, got) << c.name;
    EXPECT_EQ(1, ends) << c.name;
    EXPECT_TRUE(onLoop) << c.name;
  }
}

}  // namespace
}  // namespace pzam::platform
