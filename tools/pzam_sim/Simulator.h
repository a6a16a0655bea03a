// The simulated instrument's event loop: watches the pty for the program opening and closing the
// port, sends values as the chosen instrument does, and answers or checks what comes back.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "GaugeValues.h"
#include "PtyLine.h"
#include "SimLog.h"
#include "SimOptions.h"
#include "ZamGauge.h"

namespace pzam::sim {

class TSimulator {
 public:
  using TClock = std::chrono::steady_clock;

  TSimulator(const TSimOptions& options, std::uint32_t seed, TPtyLine& line, TSimLog& log);

  // Runs until `stopFd` becomes readable or, with a count, until the last value has been sent
  // and acknowledged (or a second has passed).
  void Run(int stopFd);

  std::uint64_t ValuesSent() const { return FValuesSent; }

 private:
  enum class TState { Closed, Settling, Open };
  struct TPending {
    std::string Text;
    TClock::time_point Deadline;
  };

  void Poll(int stopFd, bool& stop);
  void ReadLine();
  void HandleRequest(const std::string& request);
  void OnOpened(TClock::time_point now);
  void OnClosed();
  void Tick(TClock::time_point now);
  void SendValue(TClock::time_point now);
  void Send(const std::string& text, TClock::time_point now);
  void Flush();
  std::optional<TClock::time_point> NextDeadline() const;
  bool Finished(TClock::time_point now) const;
  bool CountReached() const { return FOptions.Count != 0 && FValuesSent >= FOptions.Count; }

  const TSimOptions FOptions;
  TPtyLine& FLine;
  TSimLog& FLog;
  TValueSource FSource;
  TZamGauge FZam;

  TState FState = TState::Closed;
  bool FHadSession = false;  // the port has been open before: the next open is a reopen
  TClock::time_point FSettleAt{};
  std::optional<TClock::time_point> FSendAt;  // next periodic value while open
  TClock::time_point FLineFreeAt{};           // when the line has shifted out the last text
  std::optional<TClock::time_point> FFinishAt;
  std::deque<TPending> FPending;  // values waiting for "STO0\r"
  std::string FOut;               // sent text the line has not taken yet
  bool FHeldBack = false;         // the line has refused text; values wait
  std::string FIn;                // received text up to its next CR
  std::uint64_t FValuesSent = 0;
  std::uint64_t FTelegrams = 0;
};

}  // namespace pzam::sim
