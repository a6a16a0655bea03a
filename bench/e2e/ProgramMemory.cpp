// pzam-program-memory: the program's resident memory after a 9999-value run. The windows run on
// Qt's offscreen platform in operating mode 3 with an Excel record file; an instrument on a
// pseudo-terminal, driven from the same event loop, sends the values as fast as the program
// answers them. Prints the resident memory before Initialise and after the 9999th answer.
// With --runs N the buttons drive N such runs one after another in the same program (Initialise,
// 9999 values, End), and the resident memory is printed after each End: it must not grow from run
// to run. TMPDIR chooses where the record files go (default /tmp).
#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "ProgramWindows.h"
#include "PtyLine.h"
#include "app/Main.h"
#include "config/ui/Einstellungen.h"
#include "serial/comm/PortNames.h"

namespace {

constexpr int kValues = 9999;
constexpr int kInFlight = 200;  // values sent but not yet answered

std::string Status(const char* key) {
  std::ifstream in("/proc/self/status");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key, 0) == 0) return line.substr(line.find_first_not_of(" \t", strlen(key)));
  }
  return "?";
}

long StatusKb(const char* key) {
  return std::atol(Status(key).c_str());
}

// kB a run by least squares over the runs from `first` on (1-based run numbers).
double Slope(const std::vector<long>& rss, std::size_t first) {
  double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
  for (std::size_t i = first - 1; i < rss.size(); ++i) {
    const double x = static_cast<double>(i + 1), y = static_cast<double>(rss[i]);
    n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
  }
  return n < 2 ? 0 : (n * sxy - sx * sy) / (n * sxx - sx * sx);
}

std::string Run(const char* command) {
  std::string out;
  if (FILE* p = popen(command, "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
    pclose(p);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const auto bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  pzam::sim::TPtyLine line;
  if (const auto error = line.Open(); !error.empty()) {
    std::fprintf(stderr, "pty: %s\n", error.c_str());
    return 1;
  }
  int runs = 1;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--runs") runs = std::max(1, std::atoi(argv[i + 1]));
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/pzam-memory-XXXXXX";
  const std::string folder = mkdtemp(pattern.data());
  for (const char* language : {"lng_deutsch.lng", "lng_english.lng"})
    std::filesystem::copy_file(bin / language, folder + "/" + language);
  const std::string com =
      Run(((bin / "pzam-tool").string() + " settings-text encode COMPort=9 Baudrate=4800").c_str());
  std::ofstream(folder + "/PZAMConfig.ini")
      << "[Ports]\nCOM9=" << line.SlavePath() << "\n[Serial]\nCOM=" << com
      << "\n[Select]\nReqMode=3\nFileMode=1\nCableType=0\nQuorvMode=0\n"
         "[Language]\nLastLanguage=deutsch\n";
  pzam::comm::PlatformPortNames().SetExplicitMap({{9, line.SlavePath()}});

  QApplication app(argc, argv);
  pzam::bench::TProgramWindows windows(folder);
  pzam::TF_Main& main = windows.Main;
  main.show();

  std::string before;
  std::vector<long> rss;  // after each End
  int sent = 0, answered = 0, run = 0;
  std::string in;
  QTimer feed;
  const auto endRun = [&] {
    feed.stop();
    main.Bu_MeasStop->click();
    ++run;
    rss.push_back(StatusKb("VmRSS:"));
    std::printf("run %2d: %d values answered, resident memory after End  %s (anonymous %s)\n", run,
                answered, Status("VmRSS:").c_str(), Status("RssAnon:").c_str());
    std::fflush(stdout);
    for (const auto& f : std::filesystem::directory_iterator(folder)) {
      if (f.path().extension() == ".xls") std::filesystem::remove(f.path());
    }
    if (run == runs) return QApplication::quit();
    sent = answered = 0;
    in.clear();
    main.Bu_MeasInit->click();
    feed.start(1);
  };
  QObject::connect(&feed, &QTimer::timeout, [&] {
    if (!line.Read(in)) QApplication::exit(1);
    for (auto at = in.find("STO0\r"); at != std::string::npos; at = in.find("STO0\r")) {
      ++answered;
      in.erase(0, at + 5);
    }
    std::string out;
    for (; sent < kValues && sent - answered < kInFlight; ++sent) {
      char text[32];
      std::snprintf(text, sizeof text, "+012.%03d\r", 300 + sent % 97);
      out += text;
    }
    if (!out.empty()) line.Write(out.data(), out.size());
    if (answered == kValues) {
      if (runs == 1) return QApplication::quit();
      endRun();
    }
  });
  QTimer::singleShot(500, [&] {
    before = Status("VmRSS:");
    main.Bu_MeasInit->click();
    feed.start(1);
  });
  QTimer::singleShot(runs * 600000, [] { QApplication::exit(1); });
  const int code = QApplication::exec();
  std::printf("program windows, mode 3, Excel record file: %d values answered\n", answered);
  std::printf("resident memory before Initialise  %s\n", before.c_str());
  std::printf("resident memory after value %d  %s (peak %s)\n", answered, Status("VmRSS:").c_str(),
              Status("VmHWM:").c_str());
  if (rss.size() >= 4) {
    const std::size_t half = rss.size() / 2 + 1;
    std::printf("runs %zu to %zu: resident memory %ld to %ld kB, slope %+.2f kB a run\n", half,
                rss.size(), *std::min_element(rss.begin() + (half - 1), rss.end()),
                *std::max_element(rss.begin() + (half - 1), rss.end()), Slope(rss, half));
  }
  std::fflush(stdout);
  std::filesystem::remove_all(folder);
  std::_Exit(code);
}
