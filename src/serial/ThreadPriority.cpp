#include "serial/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace pzam::serial {

void ApplyThreadPriority(TThreadPriority p) {
  if (p == TThreadPriority::tpIdle) {
    sched_param param{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &param);
    return;
  }
  static constexpr int kNice[] = {19, 10, 5, 0, -5, -10, -20};
  const int nice = kNice[static_cast<int>(p)];
  if (nice != 0) {
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), nice);
  }
}

}  // namespace pzam::serial
