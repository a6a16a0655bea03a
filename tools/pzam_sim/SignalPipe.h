// Turns SIGINT, SIGTERM and SIGHUP into a readable pipe, so the event loop ends cleanly.
#pragma once

namespace pzam::sim {

class TSignalPipe {
 public:
  TSignalPipe();
  TSignalPipe(const TSignalPipe&) = delete;
  TSignalPipe& operator=(const TSignalPipe&) = delete;
  ~TSignalPipe();

  bool Valid() const { return FRead >= 0; }
  // Readable once one of the signals has arrived.
  int ReadFd() const { return FRead; }

 private:
  int FRead = -1;
};

}  // namespace pzam::sim
