// Signals and console events: the requests to end the program, which it answers on its own thread,
// and standard input as the tools read it.
#pragma once

#include <csignal>
#include <cstddef>

namespace pzam::platform {

// The hang-up signal's number (SIGHUP on POSIX; Windows has none and never sends it).
inline constexpr int kSignalHangUp = 1;

using TSignalNotify = void (*)(int signo);

// Routes signo to notify until ReleaseSignal. POSIX: notify runs in the signal handler, so it may
// only do what a handler may (write to a pipe or an eventfd, change lock-free atomics). Windows:
// the console's events stand for the signals (Ctrl+C for SIGINT; Ctrl+Break, closing the console,
// logoff and shutdown for SIGTERM) and notify runs on the thread the system starts for the event;
// after closing, logoff or shutdown that thread waits, as long as the system lets it, for the
// program to end by itself. False for a signal the platform does not deliver.
bool CatchSignal(int signo, TSignalNotify notify);

// Gives signo back the handling it had before the first CatchSignal.
void ReleaseSignal(int signo);

// Gives signo the system's default action (on Windows: the console's events end the process).
void DefaultSignal(int signo);

// A pipe that carries caught signals to a thread: not inherited; the read end does not wait.
bool MakeSignalPipe(int& readFd, int& writeFd);

// Writes one byte from a notify; a full pipe already holds a wake-up.
void WriteSignalByte(int fd, unsigned char byte);

// Reads what the pipe holds without waiting: the count, 0 when it is empty or closed, -1 on
// failure.
long ReadSignalBytes(int fd, unsigned char* buf, std::size_t size);

// Closes one end of the pipe.
void ClosePipeEnd(int fd);

// The descriptor of standard input.
inline constexpr int kStandardInput = 0;

// Reads up to size bytes of standard input (a console, a pipe or a file), waiting for some: the
// count, 0 at its end, -1 with errno set on failure (EINTR and EAGAIN: try again).
long ReadStandardInput(char* buf, std::size_t size);

}  // namespace pzam::platform
