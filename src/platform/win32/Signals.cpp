#include "platform/Signals.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

namespace pzam::platform {

namespace {

// SIGINT and SIGTERM are the only signals a console event stands for.
std::atomic<TSignalNotify> gInterrupt{nullptr};
std::atomic<TSignalNotify> gTerminate{nullptr};
std::atomic<bool> gHandlerInstalled{false};

std::atomic<TSignalNotify>* NotifyOf(int signo) {
  if (signo == SIGINT) return &gInterrupt;
  if (signo == SIGTERM) return &gTerminate;
  return nullptr;
}

// Runs on a thread the system starts for the event. TRUE: handled here; FALSE: the next handler
// (finally the system's, which ends the process) takes it.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  const int signo = event == CTRL_C_EVENT ? SIGINT : SIGTERM;
  const TSignalNotify notify = NotifyOf(signo)->load();
  if (notify == nullptr) return FALSE;
  notify(signo);
  // The system ends the process as soon as the handler returns from these; the program gets the
  // time the system grants (about five seconds) to end its run and write its files.
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
    Sleep(INFINITE);
  return TRUE;
}

}  // namespace

bool CatchSignal(int signo, TSignalNotify notify) {
  std::atomic<TSignalNotify>* slot = NotifyOf(signo);
  if (slot == nullptr) return false;
  *slot = notify;
  if (!gHandlerInstalled.exchange(true) && !SetConsoleCtrlHandler(&OnConsoleEvent, TRUE)) {
    gHandlerInstalled = false;
    *slot = nullptr;
    return false;
  }
  return true;
}

void ReleaseSignal(int signo) {
  if (std::atomic<TSignalNotify>* slot = NotifyOf(signo)) *slot = nullptr;
  if (gInterrupt.load() == nullptr && gTerminate.load() == nullptr &&
      gHandlerInstalled.exchange(false))
    SetConsoleCtrlHandler(&OnConsoleEvent, FALSE);
}

void DefaultSignal(int signo) {
  ReleaseSignal(signo);
}

bool MakeSignalPipe(int& readFd, int& writeFd) {
  int fds[2];
  // Room for far more events than arrive before the reader drains them.
  if (::_pipe(fds, 4096, _O_BINARY | _O_NOINHERIT) != 0) return false;
  readFd = fds[0];
  writeFd = fds[1];
  return true;
}

void WriteSignalByte(int fd, unsigned char byte) {
  [[maybe_unused]] const int n = ::_write(fd, &byte, 1);
}

long ReadSignalBytes(int fd, unsigned char* buf, std::size_t size) {
  // An anonymous pipe cannot be made non-blocking: read only what is there.
  const HANDLE pipe = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  DWORD available = 0;
  if (pipe == INVALID_HANDLE_VALUE ||
      !PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr))
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
  if (available == 0) return 0;
  const unsigned count = available < size ? available : static_cast<unsigned>(size);
  return ::_read(fd, buf, count);
}

void ClosePipeEnd(int fd) {
  ::_close(fd);
}

long ReadStandardInput(char* buf, std::size_t size) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;  // no input at all: its end
  DWORD got = 0;
  const DWORD want = size > 0xFFFFFFF ? 0xFFFFFFF : static_cast<DWORD>(size);
  if (ReadFile(input, buf, want, &got, nullptr)) return static_cast<long>(got);
  const DWORD error = GetLastError();
  // The writer of a pipe has gone, or the console's input was cut short (Ctrl+C): the end.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF || error == ERROR_OPERATION_ABORTED)
    return 0;
  errno = EIO;
  return -1;
}

}  // namespace pzam::platform
