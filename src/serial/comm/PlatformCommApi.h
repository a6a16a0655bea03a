// The process-wide comm backend of this platform.
#pragma once

#include "serial/comm/CommApi.h"

namespace pzam::comm {

ICommApi& PlatformCommApi();

}  // namespace pzam::comm
