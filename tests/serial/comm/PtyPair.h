// A pseudo-terminal as a serial line for tests: the master plays the instrument, the slave is
// the port the backend opens (mapped as COM5 through an explicit port map).
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "serial/comm/PosixCommApi.h"

namespace pzam::comm::test {

class TPtyPair {
 public:
  TPtyPair() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster >= 0 && grantpt(FMaster) == 0 && unlockpt(FMaster) == 0) FSlave = ptsname(FMaster);
  }
  ~TPtyPair() { CloseMaster(); }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  bool Ok() const { return FMaster >= 0 && !FSlave.empty(); }
  int Master() const { return FMaster; }
  const std::string& SlavePath() const { return FSlave; }
  void CloseMaster() {
    if (FMaster >= 0) close(FMaster);
    FMaster = -1;
  }

  // The instrument sends bytes.
  bool Send(const std::string& bytes) const {
    return write(FMaster, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
  }
  // Reads up to count bytes the port sent, waiting at most timeoutMs for each chunk.
  std::string Receive(size_t count, int timeoutMs = 2000) const {
    std::string got;
    while (got.size() < count) {
      pollfd p{FMaster, POLLIN, 0};
      if (poll(&p, 1, timeoutMs) <= 0) break;
      char buf[4096];
      ssize_t n = read(FMaster, buf, std::min(sizeof buf, count - got.size()));
      if (n <= 0) break;
      got.append(buf, static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int FMaster = -1;
  std::string FSlave;
};

// A backend with COM5 mapped onto a fresh pty.
struct TPtyBackend {
  TPtyPair Pty;
  TPortNames Names{"/nonexistent-dev-root", [](const std::string&) { return false; }};
  std::unique_ptr<TPosixCommApi> Api;

  TPtyBackend() {
    Names.SetExplicitMap({{5, Pty.SlavePath()}});
    Api = std::make_unique<TPosixCommApi>(Names);
  }
  HANDLE Open(const std::string& name = "COM5") {
    return Api->CreateFile(name, GENERIC_READ | GENERIC_WRITE, 0, OPEN_EXISTING,
                           FILE_FLAG_OVERLAPPED | FILE_ATTRIBUTE_NORMAL);
  }
};

// Runs fn on another thread; the result is there when the future becomes ready.
template <typename Fn>
auto RunAsync(Fn fn) {
  return std::async(std::launch::async, std::move(fn));
}

template <typename T>
bool ReadyWithin(std::future<T>& f, int ms) {
  return f.wait_for(std::chrono::milliseconds(ms)) == std::future_status::ready;
}

}  // namespace pzam::comm::test
