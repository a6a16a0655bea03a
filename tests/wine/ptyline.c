/* ptyline: the instrument's end of a pseudo-terminal mapped as a COM port in a Wine prefix.
 *
 * Usage: ptyline WINEPREFIX comN PRELOAD program [args...]
 *
 * Links $WINEPREFIX/dosdevices/comN to a new pty, runs the program (e.g. "wine test.exe") with
 * LD_PRELOAD=PRELOAD and WINEPREFIX set, and passes its output on. Each time the program prints
 * a line "READY", the telegrams below are written to the line, one every 400 ms, one of them in
 * two parts. Everything the program writes to the line is collected: the exit code is the
 * program's, or 1 when the line did not receive "STO0\r" once for each READY.
 */
#define _GNU_SOURCE
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

/* The test program expects exactly these four telegrams, the third split in two. */
static const char* const kChunks[] = {"+0012.345\r", "-0001.250\r", "+00", "13.100\r",
                                      "+0000.001\r"};
enum { kChunkCount = sizeof kChunks / sizeof kChunks[0], kGapMs = 400 };

static long NowMs(void) {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000L + ts.tv_nsec / 1000000L;
}

/* Whether fd has something to read now. */
static int HasInput(int fd) {
  struct pollfd p = {fd, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN);
}

static int OpenPty(char* slavePath, size_t size, int* slave) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return -1;
  if (ptsname_r(master, slavePath, size) != 0) return -1;
  /* Held open here so that the line never hangs up between the program's openings. */
  *slave = open(slavePath, O_RDWR | O_NOCTTY);
  if (*slave < 0) return -1;
  struct termios tio;
  tcgetattr(*slave, &tio);
  cfmakeraw(&tio);
  tcsetattr(*slave, TCSANOW, &tio);
  fcntl(master, F_SETFL, O_NONBLOCK);
  return master;
}

int main(int argc, char** argv) {
  if (argc < 5) {
    fprintf(stderr, "usage: ptyline WINEPREFIX comN PRELOAD program [args...]\n");
    return 2;
  }
  char slavePath[128], link[4096];
  int slave = -1;
  const int master = OpenPty(slavePath, sizeof slavePath, &slave);
  if (master < 0) {
    perror("ptyline: pty");
    return 2;
  }
  snprintf(link, sizeof link, "%s/dosdevices/%s", argv[1], argv[2]);
  unlink(link);
  if (symlink(slavePath, link) != 0) {
    perror("ptyline: link");
    return 2;
  }
  int out[2];
  if (pipe(out) != 0) return 2;
  const pid_t child = fork();
  if (child == 0) {
    setenv("WINEPREFIX", argv[1], 1);
    setenv("LD_PRELOAD", argv[3], 1);
    dup2(out[1], STDOUT_FILENO);
    dup2(out[1], STDERR_FILENO);
    close(out[0]);
    close(master);
    close(slave);
    execvp(argv[4], argv + 4);
    _exit(127);
  }
  close(out[1]);

  char line[1024], received[1024];
  size_t lineLength = 0, receivedLength = 0;
  int readies = 0, next = kChunkCount; /* next chunk to send; kChunkCount: none due */
  long due = 0;
  int status = 0;
  /* Until the program has ended and its output is read: the pipe alone never ends, since the
   * wineserver the program may have started holds it too. */
  for (int running = 1, open = 1; open && (running || HasInput(out[0]));) {
    if (running && waitpid(child, &status, WNOHANG) == child) running = 0;
    struct pollfd fds[2] = {{out[0], POLLIN, 0}, {master, POLLIN, 0}};
    const int timeout = next < kChunkCount ? (int)(due > NowMs() ? due - NowMs() : 0) : 1000;
    if (poll(fds, 2, timeout < 100 ? timeout : 100) < 0 && errno != EINTR) break;
    if (fds[1].revents & POLLIN) {
      const ssize_t n =
          read(master, received + receivedLength, sizeof received - 1 - receivedLength);
      if (n > 0) receivedLength += (size_t)n;
    }
    if (fds[0].revents & (POLLIN | POLLHUP)) {
      char c;
      const ssize_t n = read(out[0], &c, 1);
      if (n <= 0) {
        open = 0;
      } else if (c != '\n' && lineLength + 1 < sizeof line) {
        line[lineLength++] = c;
      } else if (c == '\n') {
        /* Wine's console ends lines with CR LF. */
        if (lineLength > 0 && line[lineLength - 1] == '\r') --lineLength;
        line[lineLength] = '\0';
        printf("%s\n", line);
        fflush(stdout);
        if (strcmp(line, "READY") == 0) {
          ++readies;
          next = 0;
          due = NowMs() + kGapMs;
        }
        lineLength = 0;
      }
    }
    if (next < kChunkCount && NowMs() >= due) {
      if (write(master, kChunks[next], strlen(kChunks[next])) < 0) perror("ptyline: write");
      ++next;
      due = NowMs() + kGapMs;
    }
  }
  unlink(link);
  for (ssize_t n;
       receivedLength + 1 < sizeof received &&
       (n = read(master, received + receivedLength, sizeof received - 1 - receivedLength)) > 0;)
    receivedLength += (size_t)n;
  received[receivedLength] = '\0';
  int answers = 0;
  for (const char* at = received; (at = strstr(at, "STO0\r")) != NULL; at += 5) ++answers;
  printf("ptyline: the line received %d answer(s) for %d READY\n", answers, readies);
  if (answers != readies || readies == 0) return 1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
