// pzam-ack-latency: the time from an instrument's carriage return to the "STO0\r" the program
// answers with, in operating mode 2 or 3, early in a run and at its end (values 9980 to 9999).
// The instrument is a pseudo-terminal driven from here; the program is "pzam-tool measure".
// Between the two timed stretches the values are fed as fast as the program takes them.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "PtyLine.h"

namespace {

using TClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr int kRunValues = 9999;
constexpr char kAck[] = "STO0\r";

struct TOptions {
  int Mode = 3;
  int Runs = 5;
  int Timed = 20;  // values timed at the start and at the end of each run
  std::string Tool;
};

class TInstrument {
 public:
  explicit TInstrument(pzam::sim::TPtyLine& line) : FLine(line) {}

  // Waits until the program has held the port open for a while (its presence probe does not).
  bool WaitForProgram(std::chrono::milliseconds timeout) {
    const auto deadline = TClock::now() + timeout;
    auto since = TClock::time_point::max();
    while (TClock::now() < deadline) {
      if (!FLine.ListenerPresent()) {
        since = TClock::time_point::max();
      } else if (since == TClock::time_point::max()) {
        since = TClock::now();
      } else if (TClock::now() - since > 300ms) {
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  // Sends one value and returns the time until its answer has arrived; negative on time-out.
  double TimedValue(int k) {
    const std::string text = Value(k);
    const auto start = TClock::now();
    if (FLine.Write(text.data(), text.size()) != static_cast<long>(text.size())) return -1;
    if (!WaitForAcks(FAcks + 1, start + 3s)) return -1;
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
  }

  // Sends values first..last as fast as the line takes them and waits for all answers.
  bool Burst(int first, int last) {
    std::string out;
    for (int k = first; k <= last; ++k) out += Value(k);
    const int target = FAcks + (last - first + 1);
    const auto deadline = TClock::now() + 120s;
    while (FAcks < target && TClock::now() < deadline) {
      pollfd p{FLine.MasterFd(), POLLIN, 0};
      if (!out.empty()) p.events |= POLLOUT;
      if (poll(&p, 1, 100) <= 0) continue;
      if (p.revents & POLLOUT) {
        const long n = FLine.Write(out.data(), std::min<std::size_t>(out.size(), 1024));
        if (n < 0) return false;
        out.erase(0, static_cast<std::size_t>(n));
      }
      if ((p.revents & POLLIN) && !ReadAcks()) return false;
    }
    return FAcks == target;
  }

 private:
  static std::string Value(int k) {
    char text[32];
    std::snprintf(text, sizeof text, "+012.%03d\r", 300 + k % 97);
    return text;
  }

  bool ReadAcks() {
    if (!FLine.Read(FIn)) return false;
    for (auto at = FIn.find(kAck); at != std::string::npos; at = FIn.find(kAck)) {
      ++FAcks;
      FIn.erase(0, at + sizeof kAck - 1);
    }
    return true;
  }

  bool WaitForAcks(int target, TClock::time_point deadline) {
    while (FAcks < target) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
      if (left.count() <= 0) return false;
      pollfd p{FLine.MasterFd(), POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left.count())) > 0 && !ReadAcks()) return false;
    }
    return true;
  }

  pzam::sim::TPtyLine& FLine;
  std::string FIn;
  int FAcks = 0;
};

pid_t StartProgram(const TOptions& o, const std::string& folder, int& stdinFd) {
  int in[2];
  if (pipe(in) != 0) return -1;
  const std::string mode = std::to_string(o.Mode);
  const std::string config = folder + "/PZAMConfig.ini";
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(in[0], 0);
    close(in[1]);
    if (chdir(folder.c_str()) != 0 || !freopen("measure.out", "w", stdout)) _exit(126);
    execl(o.Tool.c_str(), o.Tool.c_str(), "measure", "--port", "COM9", "--config", config.c_str(),
          "--mode", mode.c_str(), "--save", "0", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(in[0]);
  stdinFd = in[1];
  return pid;
}

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const auto i = static_cast<std::size_t>(p * static_cast<double>(v.size() - 1) + 0.5);
  return v[std::min(i, v.size() - 1)];
}

void Report(const char* what, const std::vector<double>& ms) {
  std::printf("%-28s n=%-4zu p50 %8.3f ms  p99 %8.3f ms  max %8.3f ms\n", what, ms.size(),
              Percentile(ms, 0.5), Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end()));
}

bool Run(const TOptions& o, std::vector<double>& early, std::vector<double>& late) {
  pzam::sim::TPtyLine line;
  if (const auto error = line.Open(); !error.empty()) {
    std::fprintf(stderr, "pty: %s\n", error.c_str());
    return false;
  }
  char pattern[] = "/tmp/pzam-ack-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  std::ofstream(folder + "/PZAMConfig.ini") << "[Ports]\nCOM9=" << line.SlavePath() << "\n";
  int stdinFd = -1;
  const pid_t pid = StartProgram(o, folder, stdinFd);
  TInstrument instrument(line);
  bool ok = pid > 0 && instrument.WaitForProgram(10s);
  for (int k = 1; ok && k <= o.Timed; ++k) {
    const double ms = instrument.TimedValue(k);
    ok = ms >= 0;
    early.push_back(ms);
  }
  ok = ok && instrument.Burst(o.Timed + 1, kRunValues - o.Timed);
  // A line event the burst left behind costs one more 200 ms wait; let it pass before timing.
  std::this_thread::sleep_for(600ms);
  for (int k = kRunValues - o.Timed + 1; ok && k <= kRunValues; ++k) {
    const double ms = instrument.TimedValue(k);
    ok = ms >= 0;
    late.push_back(ms);
  }
  if (stdinFd >= 0) close(stdinFd);  // end of input ends the run
  int status = 0;
  if (pid > 0) waitpid(pid, &status, 0);
  if (!ok) std::fprintf(stderr, "run failed; see %s/measure.out\n", folder.c_str());
  if (ok) std::filesystem::remove_all(folder);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  TOptions o;
  o.Tool = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "pzam-tool";
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string a = argv[i], v = argv[i + 1];
    if (a == "--mode")
      o.Mode = std::atoi(v.c_str());
    else if (a == "--runs")
      o.Runs = std::atoi(v.c_str());
    else if (a == "--timed")
      o.Timed = std::atoi(v.c_str());
    else if (a == "--tool")
      o.Tool = std::filesystem::absolute(v);
  }
  if ((o.Mode != 2 && o.Mode != 3) || o.Runs < 1 || o.Timed < 1 || o.Timed > 1000) {
    std::fprintf(stderr,
                 "usage: pzam-ack-latency [--mode 2|3] [--runs R] [--timed K] [--tool P]\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  std::vector<double> early, late;
  for (int r = 0; r < o.Runs; ++r) {
    if (!Run(o, early, late)) return 1;
  }
  std::printf("mode %d, %d runs, values 1-%d and %d-%d of each run\n", o.Mode, o.Runs, o.Timed,
              kRunValues - o.Timed + 1, kRunValues);
  Report("CR -> STO0, start of run", early);
  Report("CR -> STO0, end of run", late);
  std::vector<double> earlyBeyond, lateBeyond;
  for (double ms : early) earlyBeyond.push_back(ms - 200.0);
  for (double ms : late) lateBeyond.push_back(ms - 200.0);
  Report("beyond 200 ms, start", earlyBeyond);
  Report("beyond 200 ms, end", lateBeyond);
  const double a = Percentile(early, 0.5), b = Percentile(late, 0.5);
  std::printf("p50 end vs start: %+.2f %%\n", (b - a) / a * 100.0);
  return 0;
}
