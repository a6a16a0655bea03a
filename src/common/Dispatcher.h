// The window thread as other threads see it: work handed to it runs there, in order.
// The Qt program implements it on its event loop; the command-line tools on a small loop of
// their own; tests on whatever suits them.
#pragma once

#include <functional>

namespace pzam {

class IDispatcher {
 public:
  virtual ~IDispatcher() = default;
  // Queues fn to run on the window thread and returns at once (never blocks).
  virtual void Post(std::function<void()> fn) = 0;
  // Runs fn on the window thread and returns when it has run. Called from the window thread
  // itself it runs fn at once.
  virtual void Send(std::function<void()> fn) = 0;
};

}  // namespace pzam
