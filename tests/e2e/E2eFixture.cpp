#include "E2eFixture.h"

#include <algorithm>
#include <filesystem>
#include <sstream>

namespace pzam::e2e {

namespace fs = std::filesystem;

std::string BinPath(const std::string& name) {
  return std::string(PZAM_BIN_DIR) + "/" + name;
}

TTestDirs::TTestDirs() : FRoot(FDir.Dir().string()) {
  fs::create_directories(FRoot + "/cfg");
  fs::create_directories(FRoot + "/work");
}

TTestDirs::~TTestDirs() {
  std::error_code ec;
  fs::permissions(Work(), fs::perms::owner_all, fs::perm_options::add, ec);
}

TSim::TSim(const TTestDirs& dirs, const std::string& logName, std::vector<std::string> args)
    : FLog(dirs.File(logName)) {
  args.insert(args.end(), {"--config", dirs.Config(), "--log", FLog});
  FProcess = std::make_unique<TChildProcess>(TChildCommand{BinPath("pzam-sim"), args, "", {}});
}

bool TSim::WaitForPort(TMillis timeout) {
  if (!FProcess->WaitForStdout("\n", timeout)) return false;
  std::istringstream line(FProcess->Stdout().substr(0, FProcess->Stdout().find('\n')));
  line >> FPort >> FDevice;
  return !FDevice.empty();
}

std::vector<std::string> TSim::Sent() const {
  return Lines(ReadFile(FLog));
}

std::unique_ptr<TChildProcess> StartMeasure(const TTestDirs& dirs, const std::string& port,
                                            std::vector<std::string> args,
                                            const std::string& workDir) {
  std::vector<std::string> all{"measure", "--port", port, "--config", dirs.Config()};
  all.insert(all.end(), args.begin(), args.end());
  return std::make_unique<TChildProcess>(TChildCommand{
      BinPath("pzam-tool"), all, workDir.empty() ? dirs.Work() : workDir, {"LC_ALL=C"}});
}

int ValueLines(const std::string& output, const std::string& batch) {
  int n = 0;
  for (const auto& line : Lines(output)) {
    // batch, blank, "HH:MM:SS", blank
    if (line.rfind(batch + " ", 0) == 0 && line.size() > batch.size() + 10 &&
        line[batch.size() + 3] == ':' && line[batch.size() + 6] == ':')
      ++n;
  }
  return n;
}

bool WaitForValues(TChildProcess& program, const std::string& batch, int count, TMillis timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (ValueLines(program.Stdout(), batch) < count) {
    if (std::chrono::steady_clock::now() >= deadline || program.Exited()) return false;
    program.WaitForStdout("\n", 50ms, CountOf(program.Stdout(), "\n") + 1);
  }
  return true;
}

std::string ReadFile(const std::string& path) {
  return test::FileContent(path);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto end = text.find_first_of("\r\n", at);
    if (end == std::string::npos) {
      lines.push_back(text.substr(at));
      break;
    }
    lines.push_back(text.substr(at, end - at));
    // One line end: LF, CR LF or LF CR.
    at = end + 1;
    if (at < text.size() && (text[at] == '\r' || text[at] == '\n') && text[at] != text[end]) ++at;
  }
  return lines;
}

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace pzam::e2e
