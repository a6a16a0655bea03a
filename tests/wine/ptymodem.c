/* ptymodem: modem lines for pseudo-terminals, preloaded into Wine (LD_PRELOAD) so that Windows
 * programs can be tested under Wine on a pty mapped as a COM port
 * ($WINEPREFIX/dosdevices/comN -> /dev/pts/M).
 *
 * Why it exists: Wine's WaitCommEvent asks the line for its modem lines (ioctl TIOCMGET) when it
 * starts waiting, and a pseudo-terminal refuses the modem-line ioctls (ENOTTY / EINVAL). The
 * wait then fails at once, and a program that waits for line events cannot be tested on a pty.
 *
 * What it does: where the real ioctl refuses TIOCMGET, TIOCMBIS, TIOCMBIC or TIOCMSET on a
 * terminal, it answers them from a modem-line word kept per descriptor (and per device, so a
 * reused descriptor number starts afresh). CTS and DSR always read as on: a connected, ready
 * instrument. DTR and RTS keep what the program set. Real serial ports answer these ioctls
 * themselves and are passed through untouched.
 *
 * Build: cc -shared -fPIC -O2 -Wall -Wextra -o ptymodem.so tests/wine/ptymodem.c -ldl
 * Use:   LD_PRELOAD=$PWD/ptymodem.so wine program.exe
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <pthread.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

enum { kMaxFd = 4096 };

struct TLines {
  dev_t Device; /* 0: no word kept yet */
  int Word;
};

static struct TLines gLines[kMaxFd];
static pthread_mutex_t gMutex = PTHREAD_MUTEX_INITIALIZER;

typedef int (*TIoctl)(int, unsigned long, ...);

static TIoctl RealIoctl(void) {
  static TIoctl real;
  if (!real) real = (TIoctl)dlsym(RTLD_NEXT, "ioctl");
  return real;
}

static int IsModemRequest(unsigned long request) {
  return request == TIOCMGET || request == TIOCMBIS || request == TIOCMBIC || request == TIOCMSET;
}

/* Answers a refused modem-line request; -1 when fd is no terminal this library can serve. */
static int Emulate(int fd, unsigned long request, int* arg) {
  struct stat st;
  if (fd < 0 || fd >= kMaxFd || !arg || !isatty(fd) || fstat(fd, &st) != 0) return -1;
  pthread_mutex_lock(&gMutex);
  struct TLines* lines = &gLines[fd];
  if (lines->Device != st.st_rdev) {
    lines->Device = st.st_rdev;
    lines->Word = TIOCM_DTR | TIOCM_RTS;
  }
  switch (request) {
    case TIOCMGET:
      break;
    case TIOCMBIS:
      lines->Word |= *arg;
      break;
    case TIOCMBIC:
      lines->Word &= ~*arg;
      break;
    default: /* TIOCMSET */
      lines->Word = *arg;
      break;
  }
  lines->Word |= TIOCM_CTS | TIOCM_DSR;
  if (request == TIOCMGET) *arg = lines->Word;
  pthread_mutex_unlock(&gMutex);
  return 0;
}

int ioctl(int fd, unsigned long request, ...) {
  va_list args;
  va_start(args, request);
  void* arg = va_arg(args, void*);
  va_end(args);
  const int result = RealIoctl()(fd, request, arg);
  if (result == 0 || !IsModemRequest(request) || (errno != ENOTTY && errno != EINVAL))
    return result;
  const int saved = errno;
  if (Emulate(fd, request, (int*)arg) == 0) return 0;
  errno = saved;
  return result;
}
