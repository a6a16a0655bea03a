// The system's serial shapes (windows.h) and ours (CommApi.h), converted field by field. The
// system's types are only declared here, so that windows.h stays out of the headers; include
// this before windows.h.
#pragma once

#include "serial/comm/CommApi.h"

struct _DCB;
struct _COMMTIMEOUTS;
struct _COMSTAT;

namespace pzam::comm {

void ToSystem(const DCB& dcb, _DCB& real);
DCB FromSystem(const _DCB& real);
void ToSystem(const COMMTIMEOUTS& timeouts, _COMMTIMEOUTS& real);
// inQueue: bytes the backend holds beyond the driver's queue.
COMSTAT FromSystem(const _COMSTAT& real, uint32_t inQueue);

}  // namespace pzam::comm
