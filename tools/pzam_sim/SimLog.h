// What the simulator reports: event lines on stderr ("pzam-sim: ..."), and every sent text as
// one line of the log file (the text as sent, without its frame end), so that tests can compute
// what the program must have recorded.
#pragma once

#include <cstdio>
#include <string>

namespace pzam::sim {

class TSimLog {
 public:
  TSimLog() = default;
  TSimLog(const TSimLog&) = delete;
  TSimLog& operator=(const TSimLog&) = delete;
  ~TSimLog();

  // Opens (truncates) the log file; returns an error text or "".
  std::string OpenFile(const std::string& path);

  void Event(const std::string& line);
  // A sent text including its frame end; the frame end is not logged.
  void Sent(const std::string& text);

  // Control characters as \xNN, for showing received bytes on one line.
  static std::string Printable(const std::string& text);

 private:
  std::FILE* FFile = nullptr;
};

}  // namespace pzam::sim
