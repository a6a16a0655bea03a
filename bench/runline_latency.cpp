// Answer time of a measuring run on a real line (a pseudo-terminal): from the instrument's
// carriage return to "STO0\r" back on the line, the event character's 200 ms wait included, with
// the run's statistics holding 0 values before (n = 1) and 9998 (n = 9999); and the CPU an open
// port costs while nothing arrives, over 10 s. Run by hand: build/default/bin/runline_latency
#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <thread>
#include <vector>

#include "RunDoubles.h"
#include "common/EventLoop.h"
#include "measurement/MeasurementRun.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "serial/LineParameters.h"
#include "serial/SerThread.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PosixCommApi.h"

namespace {

using namespace pzam;
using namespace pzam::measurement;
using namespace std::chrono_literals;
using TClock = std::chrono::steady_clock;

// The instrument: the pty's master; a reader thread counts the answers as they come back.
class TInstrument {
 public:
  TInstrument() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    grantpt(FMaster);
    unlockpt(FMaster);
    Slave = ptsname(FMaster);
    if (pipe2(FStop, O_CLOEXEC) != 0) FStop[0] = FStop[1] = -1;
    FReader = std::thread([this] { Read(); });
  }
  ~TInstrument() {
    [[maybe_unused]] ssize_t n = write(FStop[1], "x", 1);
    FReader.join();
    close(FMaster);
  }
  void Send(const std::string& text) {
    [[maybe_unused]] ssize_t n = write(FMaster, text.data(), text.size());
  }
  // Waits until `count` answers have come in all told; the time the last of them came.
  TClock::time_point WaitAnswers(std::uint64_t count) {
    std::unique_lock lock(FMutex);
    FChanged.wait(lock, [&] { return FAnswers >= count; });
    return FLast;
  }
  std::uint64_t Answers() {
    std::lock_guard lock(FMutex);
    return FAnswers;
  }
  std::string Slave;

 private:
  void Read() {
    std::string pending;
    for (;;) {
      pollfd p[2] = {{FMaster, POLLIN, 0}, {FStop[0], POLLIN, 0}};
      if (poll(p, 2, -1) < 0 || p[1].revents) return;
      char buf[4096];
      const ssize_t n = read(FMaster, buf, sizeof buf);
      if (n <= 0) {
        std::this_thread::sleep_for(10ms);  // the port is closed between runs
        continue;
      }
      const auto now = TClock::now();
      pending.append(buf, static_cast<std::size_t>(n));
      std::size_t at, found = 0;
      while ((at = pending.find("STO0\r")) != std::string::npos) {
        pending.erase(0, at + 5);
        ++found;
      }
      if (found) {
        std::lock_guard lock(FMutex);
        FAnswers += found;
        FLast = now;
        FChanged.notify_all();
      }
    }
  }
  int FMaster = -1;
  int FStop[2];
  std::thread FReader;
  std::mutex FMutex;
  std::condition_variable FChanged;
  std::uint64_t FAnswers = 0;
  TClock::time_point FLast;
};

double Ms(TClock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  auto at = [&](double q) { return ms[std::min(ms.size() - 1, std::size_t(q * ms.size()))]; };
  std::printf("%-8s samples %3zu  p50 %8.2f ms  p99 %8.2f ms  max %8.2f ms\n", what, ms.size(),
              at(0.50), at(0.99), ms.back());
}

std::chrono::microseconds ProcessCpu() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return std::chrono::seconds(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         std::chrono::microseconds(u.ru_utime.tv_usec + u.ru_stime.tv_usec);
}

}  // namespace

int main(int argc, char** argv) {
  const int samplesOne = argc > 1 ? std::atoi(argv[1]) : 50;
  const int samplesFull = argc > 2 ? std::atoi(argv[2]) : 20;
  const auto dir =
      std::filesystem::temp_directory_path() / ("pzam-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  TInstrument instrument;
  comm::PlatformPortNames().SetExplicitMap({{7, instrument.Slave}});
  comm::TPosixCommApi& api = comm::PlatformPosixCommApi();

  TEventLoop loop;  // this thread is the window thread
  serial::TCOMManager manager(api, 7);
  TRunSerial port(api, manager, &loop);
  port.SetCOMPort(7);
  serial::ApplyLineParameters(port, 2, 0);
  bench::TNullRunView view;
  bench::TFixedRunChoices choices;
  TSerialRunPort runPort(port);
  TMeasurementRun run(view, choices, runPort, {dir.string(), {}});
  TSerialRunBinding binding(port, run, view, choices, loop);

  std::thread driver([&] {
    // One sample: a run whose statistics hold `before` values, then one value on the line.
    auto sample = [&](int before) {
      loop.Send([&] { run.Initialise(); });
      std::this_thread::sleep_for(20ms);  // the event thread reaches its wait
      if (before > 0) {
        std::string many;
        for (int i = 0; i < before; ++i) many += i % 2 ? "+1.250\r" : "+0.750\r";
        const std::uint64_t answers = instrument.Answers();
        loop.Send([&] { run.Received(many); });
        instrument.WaitAnswers(answers + static_cast<std::uint64_t>(before));
      }
      const std::uint64_t answers = instrument.Answers();
      const auto sent = TClock::now();
      instrument.Send("+1.000\r");
      const auto answered = instrument.WaitAnswers(answers + 1);
      loop.Send([&] { run.End(); });
      return Ms(answered - sent);
    };
    std::vector<double> one, full;
    for (int i = 0; i < samplesOne; ++i) one.push_back(sample(0));
    for (int i = 0; i < samplesFull; ++i) full.push_back(sample(9998));
    Report("n=1", one);
    Report("n=9999", full);

    loop.Send([&] { run.Initialise(); });
    std::this_thread::sleep_for(100ms);
    const auto cpu = ProcessCpu();
    const auto start = TClock::now();
    std::this_thread::sleep_for(10s);
    std::printf("idle open port: %.1f ms CPU over %.1f s\n",
                std::chrono::duration<double, std::milli>(ProcessCpu() - cpu).count(),
                std::chrono::duration<double>(TClock::now() - start).count());
    loop.Send([&] { run.End(); });
    loop.Quit();
  });
  loop.Run();
  driver.join();
  serial::WaitForEventThreads(2s);
  std::filesystem::remove_all(dir);
  return 0;
}
