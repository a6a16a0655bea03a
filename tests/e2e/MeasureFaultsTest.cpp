// What goes wrong around a run: the port pulled and brought back, two programs racing for one
// port, a disk that fills up, a folder the record file cannot be created in.
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "E2eFixture.h"
#include "ExpectedRun.h"
#include "RecordBytes.h"
#include "RunCheck.h"
#include "config/Profile.h"

namespace pzam::e2e {
namespace {

constexpr char kBatch[] = "K7";
constexpr char kRowFailed[] = "Messwertzeile konnte nicht gespeichert werden:";

// The first `n` sent texts: the run's values when the instrument sends no messages.
std::vector<std::string> First(std::vector<std::string> sent, int n) {
  sent.resize(std::min<std::size_t>(sent.size(), static_cast<std::size_t>(n)));
  return sent;
}

std::vector<std::string> Without(std::vector<std::string> lines, const std::string& text) {
  lines.erase(std::remove(lines.begin(), lines.end(), text), lines.end());
  return lines;
}

// A small file system mounted over a folder for one test; unmounted at the end.
class TMount {
 public:
  TMount(const std::string& where, const std::string& options) : FWhere(where) {
    FMounted = mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
  }
  ~TMount() {
    if (FMounted) umount2(FWhere.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return FMounted; }

 private:
  std::string FWhere;
  bool FMounted = false;
};

TEST(MeasureFaults, PortPulledMidRunAndBroughtBack) {
  TTestDirs dirs;
  TSim first(dirs, "sim1.log",
             {"--instrument", "zam", "--port", "COM41", "--interval", "600", "--seed", "21"});
  ASSERT_TRUE(first.WaitForPort());
  TRunWindow window{Now(), 0};
  auto measure = StartMeasure(dirs, "COM41", {"--mode", "0", "--save", "1", "--batch", kBatch});
  ASSERT_TRUE(WaitForValues(*measure, kBatch, 2, 10s)) << measure->Stderr();
  first.Process().Signal(SIGKILL);  // the cable pulled: the line hangs up
  // A pulled adapter's device is gone. The killed simulator could not take its entry out, and its
  // pseudo-terminal's number may go to another program's line at once.
  DeleteProfileKey(dirs.Config(), "Ports", "COM41");
  ASSERT_TRUE(measure->WaitForStdout(kRemoved, 5s)) << measure->Stdout();

  TSim second(dirs, "sim2.log",
              {"--instrument", "zam", "--port", "COM41", "--interval", "300", "--count", "3",
               "--seed", "22"});
  ASSERT_TRUE(second.WaitForPort());
  ASSERT_TRUE(measure->WaitForStdout(kBack, 10s)) << measure->Stdout() << measure->Stderr();
  ASSERT_TRUE(WaitForValues(*measure, kBatch, 5, 10s)) << measure->Stdout();
  measure->WriteStdin("q\n");
  ASSERT_EQ(measure->WaitForExit(10s), 0) << measure->Stderr();
  window.End = Now();

  // Nothing lost, nothing counted twice: the values of both instruments, in order.
  TExpectedRun model(0, false, kBatch);
  model.SentAll(first.Sent());
  model.SentAll(second.Sent());
  // The second instrument ends a second after its last value and may hang up before End.
  auto memo = Lines(measure->Stdout());
  if (memo.size() >= 2 && memo[memo.size() - 2] == kRemoved) memo.erase(memo.end() - 2);
  EXPECT_EQ(CountOf(measure->Stdout(), kRemoved),
            memo.size() == Lines(measure->Stdout()).size() ? 1 : 2);
  EXPECT_EQ(CountOf(measure->Stdout(), kBack), 1);
  // Removal after the first instrument's two values, return before the second one's first.
  std::vector<std::string> order;
  for (const auto& line : memo) {
    if (line == kRemoved || line == kBack) order.push_back(line);
    if (ValueLines(line, kBatch) == 1) order.push_back("value");
  }
  EXPECT_EQ(order, (std::vector<std::string>{"value", "value", kRemoved, kBack, "value", "value",
                                             "value"}));
  const auto values = Without(Without(memo, kRemoved), kBack);
  CheckMemo(values, model, kBatch, window, kEnded);
  CheckFiles(dirs.Work(), model, 1, kBatch, "deutsch", window, MemoTimes(values, kBatch));
}

TEST(MeasureFaults, SecondProgramFindsThePortInUse) {
  TTestDirs dirs;
  TSim sim(dirs, "sim.log", {"--instrument", "zam", "--interval", "300", "--seed", "31"});
  ASSERT_TRUE(sim.WaitForPort());
  TRunWindow window{Now(), 0};
  auto holder = StartMeasure(dirs, sim.Port(), {"--mode", "0", "--save", "2", "--batch", kBatch});
  ASSERT_TRUE(WaitForValues(*holder, kBatch, 1, 10s)) << holder->Stderr();

  const std::string other = dirs.File("other");
  std::filesystem::create_directory(other);
  auto late = StartMeasure(dirs, sim.Port(), {"--mode", "0", "--save", "2"}, other);
  EXPECT_EQ(late->WaitForExit(10s), 3);
  // The reason in the run's language (deutsch), from its language file.
  EXPECT_NE((late->Stdout() + late->Stderr()).find("von einem anderen Programm benutzt"),
            std::string::npos)
      << late->Stdout() << late->Stderr();
  EXPECT_TRUE(FilesIn(other).empty());

  // The first program's run goes on undisturbed.
  const int before = ValueLines(holder->Stdout(), kBatch);
  ASSERT_TRUE(WaitForValues(*holder, kBatch, before + 2, 10s));
  holder->WriteStdin("q\n");
  ASSERT_EQ(holder->WaitForExit(10s), 0);
  window.End = Now();
  const auto memo = Lines(holder->Stdout());
  TExpectedRun model(0, false, kBatch);
  model.SentAll(First(sim.Sent(), ValueLines(holder->Stdout(), kBatch)));
  CheckMemo(memo, model, kBatch, window, kEnded);
  CheckFiles(dirs.Work(), model, 2, kBatch, "deutsch", window, MemoTimes(memo, kBatch));
}

TEST(MeasureFaults, DiskFullFailsRowsAndKeepsEarlierOnes) {
  TTestDirs dirs;
  TMount disk(dirs.Work(), "size=64k");
  if (!disk.Mounted()) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
  TSim sim(dirs, "sim.log", {"--instrument", "quorvant", "--interval", "20", "--seed", "41"});
  ASSERT_TRUE(sim.WaitForPort());
  TRunWindow window{Now(), 0};
  auto measure = StartMeasure(dirs, sim.Port(), {"--mode", "3", "--save", "2", "--batch", kBatch});
  ASSERT_TRUE(WaitForValues(*measure, kBatch, 3, 10s)) << measure->Stderr();

  // Fill what is left of the disk.
  const int fd = open((dirs.Work() + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0);
  const std::string block(4096, 'x');
  while (write(fd, block.data(), block.size()) > 0) {
  }
  close(fd);
  ASSERT_TRUE(measure->WaitForStdout(kRowFailed, 20s, 2)) << measure->Stdout();
  measure->WriteStdin("q\n");
  ASSERT_EQ(measure->WaitForExit(10s), 0) << measure->Stderr();
  window.End = Now();

  // Every value counts and shows; each failed row adds one line after its value line.
  auto memo = Lines(measure->Stdout());
  std::vector<std::string> values;
  int failed = 0;
  for (std::size_t i = 0; i < memo.size(); ++i) {
    if (memo[i].rfind(kRowFailed, 0) == 0) {
      ++failed;
      ASSERT_GT(i, 0u);
      EXPECT_EQ(ValueLines(memo[i - 1], kBatch), 1) << memo[i - 1];
    } else {
      values.push_back(memo[i]);
    }
  }
  const int n = ValueLines(measure->Stdout(), kBatch);
  TExpectedRun model(3, false, kBatch);
  model.SentAll(First(sim.Sent(), n));
  CheckMemo(values, model, kBatch, window, kEnded);

  // The rows written before the disk filled stay exactly as they were; a row cut short by the
  // full disk may follow them.
  const auto files = FilesIn(dirs.Work());
  const auto record = std::find_if(files.begin(), files.end(), [](const std::string& f) {
    return f.size() > 4 && f.substr(f.size() - 4) == ".csv";
  });
  ASSERT_NE(record, files.end());
  const std::string bytes = ReadFile(dirs.Work() + "/" + *record);
  const std::string whole = bytes.substr(0, bytes.rfind("\n\r") + 2);
  const auto times = CsvTimes(whole);
  ASSERT_GE(times.size(), 3u);
  auto rows = model.Rows();
  rows.resize(times.size());
  ASSERT_TRUE(WithTimes(rows, times));
  EXPECT_EQ(whole, CsvBytes(HeaderTexts("deutsch"), rows));
  EXPECT_EQ(static_cast<int>(times.size()) + failed, n);
}

TEST(MeasureFaults, ReadOnlyFolderStopsTheRunBeforeItStarts) {
  TTestDirs dirs;
  TMount readOnly(dirs.Work(), "ro,size=64k");
  if (!readOnly.Mounted()) {
    if (geteuid() == 0) GTEST_SKIP() << "mounting a tmpfs is not permitted here";
    std::filesystem::permissions(
        dirs.Work(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  }
  TSim sim(dirs, "sim.log", {"--instrument", "zam", "--interval", "200", "--seed", "51"});
  ASSERT_TRUE(sim.WaitForPort());
  auto measure = StartMeasure(dirs, sim.Port(), {"--mode", "0", "--save", "1", "--batch", kBatch});
  const int code = measure->WaitForExit(10s);
  EXPECT_NE(code, 0);
  EXPECT_NE(code, -1);
  const std::string output = measure->Stdout() + measure->Stderr();
  EXPECT_NE(output.find("kann nicht erstellt werden"), std::string::npos) << output;
  EXPECT_EQ(ValueLines(measure->Stdout(), kBatch), 0);
  EXPECT_TRUE(FilesIn(dirs.Work()).empty());
}

}  // namespace
}  // namespace pzam::e2e
