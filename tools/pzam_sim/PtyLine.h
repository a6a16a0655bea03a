// The simulator's end of a pseudo-terminal pair. The slave side (/dev/pts/N) is the port the
// program opens; the simulator keeps only the master open, so the program's exclusive open works.
#pragma once

#include <string>

namespace pzam::sim {

class TPtyLine {
 public:
  TPtyLine() = default;
  TPtyLine(const TPtyLine&) = delete;
  TPtyLine& operator=(const TPtyLine&) = delete;
  ~TPtyLine();

  // Creates the pair and puts the slave into raw mode before anything is sent (in cooked mode
  // character 23 would erase a word and CR would become LF). Returns an error text or "".
  std::string Open();

  const std::string& SlavePath() const { return FSlavePath; }
  int MasterFd() const { return FMaster; }

  // Whether some process has the slave open. Only meaningful after Open(): a slave that was
  // never opened also reads as present, so Open() opens and closes it once.
  bool ListenerPresent() const;

  // Non-blocking transfers on the master. Read appends what is waiting to `into` and returns false
  // when the line is hung up (nobody has the slave open). Write returns the bytes taken, 0 when
  // the line is full, -1 on a hang-up.
  bool Read(std::string& into);
  long Write(const char* data, std::size_t size);

 private:
  int FMaster = -1;
  std::string FSlavePath;
};

}  // namespace pzam::sim
