// The test pseudo-terminal as the serial backend sees it: the slave mapped as COM5 through an
// explicit port map.
#pragma once

#include <chrono>
#include <future>
#include <memory>
#include <string>

#include "serial/comm/PosixCommApi.h"
#include "support/PtyPair.h"

namespace pzam::comm::test {

using pzam::test::TPtyPair;

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
