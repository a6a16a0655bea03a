// pzam-startup-time: the time from starting the program to its main window drawn on the screen
// and to the start-up step done (settings read, language loaded, port shown), on Qt's offscreen
// platform. Each run starts this program anew in its window role, which builds the windows
// exactly as the program's start does, and reports when the two moments came.
// With --idle FOLDER SECONDS it instead starts the windows on FOLDER's settings file, presses
// "Messung Initialisieren" and reports the CPU time the program uses while nothing arrives.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <QPlainTextEdit>
#include <QPushButton>
#include <map>

#include "ProgramWindows.h"
#include "app/Main.h"
#include "config/Profile.h"
#include "config/ui/Einstellungen.h"
#include "serial/COMManager.h"
#include "serial/Serial.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"
#include "serial/comm/PosixCommApi.h"
#include "ui/DeviceWatch.h"
#include "ui/QtDispatcher.h"

namespace {

long long MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Notes the first paint of the main window.
class TFirstPaint : public QObject {
 public:
  long long At = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && At == 0) At = MonotonicNs();
    return QObject::eventFilter(watched, event);
  }
};

// The window role: the program's start (title, main window, settings window, message loop) on a
// program folder of its own; prints the two moments and ends.
int WindowRole(int argc, char** argv, const std::string& folder) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  pzam::ui::TQtDispatcher dispatcher;
  pzam::bench::TProgramWindows windows(folder, &dispatcher);
  pzam::TF_Main& main = windows.Main;
  TFirstPaint paint;
  main.installEventFilter(&paint);
  main.show();
  long long ready = 0;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (main.Ed_ComNum->text() != "..." && paint.At != 0) {
      ready = MonotonicNs();
      QApplication::quit();
    }
  });
  poll.start(1);
  QApplication::exec();
  std::printf("%lld %lld\n", paint.At, ready);
  std::fflush(stdout);
  std::_Exit(0);  // the figure ends here; tearing the windows down is not part of it
}

// CPU time of this process in nanoseconds and its voluntary context switches, over all threads,
// ended ones included (Qt's pooled threads end after 30 idle seconds).
std::pair<long long, long long> CpuAndWakeups() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  const long long us =
      (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1000000LL + u.ru_utime.tv_usec + u.ru_stime.tv_usec;
  return {us * 1000, u.ru_nvcsw};
}

int IdleRole(int argc, char** argv, const std::string& folder, int seconds) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  // As the program does: the [Ports] section before the port manager's first scan.
  std::map<int, std::string> ports;
  for (int n = 1; n <= 99; ++n) {
    const auto device =
        pzam::ReadProfileString(folder + "/PZAMConfig.ini", "Ports", "COM" + std::to_string(n), "");
    if (!device.empty()) ports[n] = device;
  }
  pzam::comm::PlatformPortNames().SetExplicitMap(ports);
  pzam::ui::TQtDispatcher dispatcher;
  pzam::bench::TProgramWindows windows(folder, &dispatcher);
  pzam::TF_Main& main = windows.Main;
  main.show();
  std::pair<long long, long long> before{};
  QTimer::singleShot(500, [&] { main.Bu_MeasInit->click(); });
  QTimer::singleShot(2500, [&] { before = CpuAndWakeups(); });
  std::pair<long long, long long> after{};
  bool open = false;
  std::size_t threads = 0;
  QTimer::singleShot(2500 + seconds * 1000, [&] {
    after = CpuAndWakeups();
    open = main.Running() && main.Serial1().Active();
    threads = static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                      std::filesystem::directory_iterator()));
    QApplication::quit();
  });
  QApplication::exec();
  std::printf(
      "program, port %s, %d s with nothing arriving: CPU %.3f ms = %.5f %% of one core, "
      "%lld wake-ups, %zu threads\n",
      open ? "open" : "NOT open", seconds, (after.first - before.first) / 1e6,
      (after.first - before.first) / 1e7 / seconds, after.second - before.second, threads);
  if (!open)
    std::printf("%s\n%s\n", main.Ed_ComNum->text().toStdString().c_str(),
                main.Memo1->toPlainText().toStdString().c_str());
  std::fflush(stdout);
  std::_Exit(open ? 0 : 1);
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--window") == 0) return WindowRole(argc, argv, argv[2]);
  if (argc == 4 && std::strcmp(argv[1], "--idle") == 0) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return IdleRole(argc, argv, argv[2], std::max(1, std::atoi(argv[3])));
  }
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
  const auto bin = std::filesystem::read_symlink("/proc/self/exe").parent_path();
  char pattern[] = "/tmp/pzam-startup-XXXXXX";
  const std::string folder = mkdtemp(pattern);
  for (const char* language : {"lng_deutsch.lng", "lng_english.lng"})
    std::filesystem::copy_file(bin / language, folder + "/" + language);
  std::ofstream(folder + "/PZAMConfig.ini")
      << "[Select]\nReqMode=0\nFileMode=2\nCableType=0\nQuorvMode=0\n"
         "[Language]\nLastLanguage=deutsch\n";
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  std::vector<double> shown, ready;
  for (int r = 0; r < runs; ++r) {
    int out[2];
    if (pipe(out) != 0) return 1;
    const long long start = MonotonicNs();
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(out[1], 1);
      const std::string self = (bin / "pzam-startup-time").string();
      execl(self.c_str(), self.c_str(), "--window", folder.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    char line[128] = {};
    const ssize_t n = read(out[0], line, sizeof line - 1);
    close(out[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long long paintAt = 0, readyAt = 0;
    if (n <= 0 || std::sscanf(line, "%lld %lld", &paintAt, &readyAt) != 2 || paintAt == 0) {
      std::fprintf(stderr, "run %d failed\n", r);
      return 1;
    }
    shown.push_back((paintAt - start) / 1e6);
    ready.push_back((readyAt - start) / 1e6);
  }
  std::filesystem::remove_all(folder);
  std::printf("%d starts on the offscreen platform\n", runs);
  std::printf("start -> main window drawn     median %7.1f ms  min %7.1f  max %7.1f\n",
              Median(shown), *std::min_element(shown.begin(), shown.end()),
              *std::max_element(shown.begin(), shown.end()));
  std::printf("start -> start-up step done    median %7.1f ms  min %7.1f  max %7.1f\n",
              Median(ready), *std::min_element(ready.begin(), ready.end()),
              *std::max_element(ready.begin(), ready.end()));
  return 0;
}
