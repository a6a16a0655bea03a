#include "platform/LoopWait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace pzam::platform {

struct TLoopWait::TState {
  int WakeFd = -1;  // eventfd: written by Wake, read by Wait
};

TLoopWait::TLoopWait() : FState(std::make_unique<TState>()) {
  FState->WakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

TLoopWait::~TLoopWait() {
  if (FState->WakeFd >= 0) ::close(FState->WakeFd);
}

bool TLoopWait::WatchesDescriptors() {
  return true;
}

void TLoopWait::Wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(FState->WakeFd, &one, sizeof one);
}

bool TLoopWait::Wait(int timeoutMs, const std::vector<int>& fds, std::vector<int>& ready) {
  ready.clear();
  std::vector<pollfd> polled{{FState->WakeFd, POLLIN, 0}};
  for (int fd : fds) polled.push_back({fd, POLLIN, 0});
  const int n = ::poll(polled.data(), polled.size(), timeoutMs);
  if (n < 0) return errno == EINTR;
  if (polled[0].revents) {
    std::uint64_t count;
    [[maybe_unused]] const ssize_t got = ::read(FState->WakeFd, &count, sizeof count);
  }
  for (std::size_t i = 1; i < polled.size(); ++i)
    if (polled[i].revents) ready.push_back(polled[i].fd);
  return true;
}

}  // namespace pzam::platform
