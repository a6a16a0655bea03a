#include "serial/comm/PortNames.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

namespace pzam::comm {

namespace fs = std::filesystem;

namespace {

// Numbered device nodes of one kind ("ttyUSB") under root, sorted by their number.
std::vector<std::string> NodesOfKind(const std::string& root, const std::string& kind) {
  std::vector<std::pair<int, std::string>> found;
  std::error_code ec;
  for (fs::directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
    std::string name = it->path().filename().string();
    if (name.size() <= kind.size() || name.compare(0, kind.size(), kind) != 0) continue;
    std::string digits = name.substr(kind.size());
    if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
      continue;
    if (digits.size() > 6) continue;
    found.emplace_back(std::stoi(digits), it->path().string());
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (auto& [n, path] : found) paths.push_back(path);
  return paths;
}

std::string Canonical(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::canonical(path, ec);
  return ec ? path : p.string();
}

}  // namespace

bool UartAnswers(const std::string& device) {
  // sysfs tells the port type without opening the device (no permission needed).
  std::ifstream typeFile("/sys/class/tty/" + fs::path(device).filename().string() + "/type");
  int type = -1;
  if (typeFile >> type) return type != PORT_UNKNOWN;
  int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  serial_struct info{};
  bool ok = ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type != PORT_UNKNOWN;
  close(fd);
  return ok;
}

TPortNames::TPortNames(std::string devRoot, TUartTest uartTest)
    : FDevRoot(std::move(devRoot)), FUartTest(std::move(uartTest)) {
  if (!FUartTest) FUartTest = &UartAnswers;
}

void TPortNames::SetExplicitMap(const std::map<int, std::string>& map) {
  std::lock_guard lock(FMutex);
  FExplicit.clear();
  for (const auto& [n, path] : map)
    if (n >= 1 && n <= 99 && !path.empty()) FExplicit[n] = path;
}

std::map<int, std::string> TPortNames::ExplicitMap() const {
  std::lock_guard lock(FMutex);
  return FExplicit;
}

std::string TPortNames::Resolve(int number) const {
  auto table = Table();
  auto it = table.find(number);
  return it == table.end() ? std::string() : it->second;
}

std::map<int, std::string> TPortNames::Table() const {
  std::lock_guard lock(FMutex);
  return Build();
}

bool TPortNames::HasUartLocked(const std::string& device) const {
  auto it = FUarts.find(device);
  if (it == FUarts.end()) it = FUarts.emplace(device, FUartTest(device)).first;
  return it->second;
}

std::map<int, std::string> TPortNames::Build() const {
  std::map<int, std::string> table = FExplicit;
  std::set<std::string> taken;
  for (const auto& [n, path] : FExplicit) taken.insert(Canonical(path));
  for (int i = 0; i < 4; ++i) {
    std::string dev = FDevRoot + "/ttyS" + std::to_string(i);
    if (table.count(i + 1) || taken.count(Canonical(dev))) continue;
    if (access(dev.c_str(), F_OK) == 0 && HasUartLocked(dev)) table[i + 1] = dev;
  }
  int next = 5;
  for (const char* kind : {"ttyUSB", "ttyACM"}) {
    for (const auto& dev : NodesOfKind(FDevRoot, kind)) {
      if (taken.count(Canonical(dev))) continue;
      while (next <= 99 && table.count(next)) ++next;
      if (next > 99) return table;
      table[next++] = dev;
    }
  }
  return table;
}

TPortNames& PlatformPortNames() {
  static TPortNames names;
  return names;
}

}  // namespace pzam::comm
