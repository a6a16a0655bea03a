// The calling thread's priority as a component's Priority asks for it. Best effort: lowering
// works for everyone, raising only as far as the system allows. One file per platform:
// ThreadPriority.cpp (POSIX), ThreadPriorityWin.cpp.
#pragma once

#include "serial/SerialTypes.h"

namespace pzam::serial {

void ApplyThreadPriority(TThreadPriority priority);

}  // namespace pzam::serial
