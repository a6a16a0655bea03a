// Turns SIGTERM, SIGINT and SIGHUP (on Windows the console's events that stand for them) into a
// readable pipe, so an event loop can end cleanly on its own thread: the handler only writes a
// byte.
#pragma once

namespace pzam {

class TSignalPipe {
 public:
  // One instance per process takes the signals; a second one is not Valid. The signals take
  // their default action again when the valid one goes.
  TSignalPipe();
  TSignalPipe(const TSignalPipe&) = delete;
  TSignalPipe& operator=(const TSignalPipe&) = delete;
  ~TSignalPipe();

  bool Valid() const { return FRead >= 0; }
  // Readable once one of the signals has arrived.
  int ReadFd() const { return FRead; }
  // Empties the pipe: several signals in a row then count as one. True when one had come.
  bool Drain() const;

 private:
  int FRead = -1;
};

}  // namespace pzam
