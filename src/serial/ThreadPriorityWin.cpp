#include "serial/ThreadPriority.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace pzam::serial {

void ApplyThreadPriority(TThreadPriority p) {
  static constexpr int kPriority[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                                      THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                                      THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                                      THREAD_PRIORITY_TIME_CRITICAL};
  ::SetThreadPriority(::GetCurrentThread(), kPriority[static_cast<int>(p)]);
}

}  // namespace pzam::serial
