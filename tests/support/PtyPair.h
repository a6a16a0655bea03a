// A pseudo-terminal as a serial line for tests: the master plays the instrument, the slave is the
// device the program opens as its port.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <string>

namespace pzam::test {

class TPtyPair {
 public:
  TPtyPair() {
    FMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (FMaster >= 0 && grantpt(FMaster) == 0 && unlockpt(FMaster) == 0) FSlave = ptsname(FMaster);
  }
  ~TPtyPair() {
    if (FHold >= 0) close(FHold);
    CloseMaster();
  }
  TPtyPair(const TPtyPair&) = delete;
  TPtyPair& operator=(const TPtyPair&) = delete;

  bool Ok() const { return FMaster >= 0 && !FSlave.empty(); }
  int Master() const { return FMaster; }
  const std::string& SlavePath() const { return FSlave; }
  void CloseMaster() {
    if (FMaster >= 0) close(FMaster);
    FMaster = -1;
  }
  // Keeps the line open while the program closes and reopens its end.
  void HoldSlave() {
    if (FHold < 0 && !FSlave.empty()) FHold = open(FSlave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
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
  // Reads whatever the port sent that is there within timeoutMs: nothing when it stays silent.
  std::string ReceiveSome(int timeoutMs) const {
    pollfd p{FMaster, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0 || !(p.revents & POLLIN)) return {};
    char buf[256];
    const ssize_t n = read(FMaster, buf, sizeof buf);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
  }

 private:
  int FMaster = -1;
  int FHold = -1;
  std::string FSlave;
};

}  // namespace pzam::test
