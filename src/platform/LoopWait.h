// What the tools' event loop sleeps in: until it is woken, a watched descriptor becomes readable or
// the time is up. On Windows the thread's window messages are dispatched while it waits: hidden
// windows of that thread (the port manager's device changes) get theirs there.
#pragma once

#include <memory>
#include <vector>

namespace pzam::platform {

class TLoopWait {
 public:
  // Create on the thread that waits.
  TLoopWait();
  ~TLoopWait();
  TLoopWait(const TLoopWait&) = delete;
  TLoopWait& operator=(const TLoopWait&) = delete;

  // True where descriptors can be waited for (POSIX); Windows waits for none.
  static bool WatchesDescriptors();

  // Any thread, also a signal's notify: the current or next Wait returns.
  void Wake();

  // Waits at most timeoutMs (-1: no limit) for a Wake or one of fds to become readable (or hung
  // up); ready gets those that did. A Wake is used up. False when waiting failed for good.
  bool Wait(int timeoutMs, const std::vector<int>& fds, std::vector<int>& ready);

 private:
  struct TState;
  std::unique_ptr<TState> FState;
};

}  // namespace pzam::platform
