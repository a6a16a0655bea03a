// The threads running a component's event handlers at this moment. A handler holds the component
// as its sender, so destroying the component waits until they are done.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace pzam::serial {

// Every call is made with the component's shared mutex held.
class TRunningHandlers {
 public:
  void Enter() { threads_.push_back(std::this_thread::get_id()); }
  void Leave() {
    threads_.erase(std::find(threads_.begin(), threads_.end(), std::this_thread::get_id()));
    done_.notify_all();
  }
  // Waits until no other thread runs a handler; the calling thread itself may be one (the
  // component destroyed from inside its own handler).
  void WaitForOthers(std::unique_lock<std::mutex>& lock) {
    const auto self = std::this_thread::get_id();
    done_.wait(lock, [&] {
      return std::all_of(threads_.begin(), threads_.end(),
                         [&](std::thread::id id) { return id == self; });
    });
  }

 private:
  std::vector<std::thread::id> threads_;
  std::condition_variable done_;
};

}  // namespace pzam::serial
