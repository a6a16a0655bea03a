#include "StdinFromText.h"

#include <unistd.h>

namespace pzam::platform::test {

TStdinFromText::TStdinFromText(const std::string& text) {
  int fds[2];
  if (::pipe(fds) != 0) return;
  // The texts of the tests fit into the pipe's buffer: written whole before anyone reads.
  [[maybe_unused]] const ssize_t n = ::write(fds[1], text.data(), text.size());
  ::close(fds[1]);
  FSaved = ::dup(STDIN_FILENO);
  ::dup2(fds[0], STDIN_FILENO);
  ::close(fds[0]);
}

TStdinFromText::~TStdinFromText() {
  if (FSaved < 0) return;
  ::dup2(static_cast<int>(FSaved), STDIN_FILENO);
  ::close(static_cast<int>(FSaved));
}

}  // namespace pzam::platform::test
