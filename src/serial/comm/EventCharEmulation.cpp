#include "serial/comm/EventCharEmulation.h"

#include <algorithm>

#include "serial/comm/CommApi.h"

namespace pzam::comm {

void TEventCharEmulation::Configure(char evtChar, bool driverKeepsIt) {
  FEvtChar = evtChar;
  FDriverKeeps = driverKeepsIt;
}

bool TEventCharEmulation::Active() const {
  return FEvtChar != 0 && !FDriverKeeps && (FMask & EV_RXFLAG) != 0;
}

uint32_t TEventCharEmulation::SetMask(uint32_t mask) {
  FMask = mask;
  FKept = 0;
  return DriverMask();
}

uint32_t TEventCharEmulation::DriverMask() const {
  return Active() ? FMask | EV_RXCHAR : FMask;
}

void TEventCharEmulation::SetLimit(size_t limit) {
  FLimit = std::max<size_t>(limit, 1);
}

void TEventCharEmulation::Store(const uint8_t* data, size_t size) {
  if (size == 0) return;
  const size_t room = FQueue.size() < FLimit ? FLimit - FQueue.size() : 0;
  const size_t kept = std::min(size, room);
  FQueue.insert(FQueue.end(), data, data + kept);
  if (kept < size) FErrors |= CE_RXOVER;
  FKept |= FMask & EV_RXCHAR;
  // Lost bytes are looked through too: the character arrived, and its reader must be woken to
  // make room.
  Scan(data, size);
}

void TEventCharEmulation::Scan(const uint8_t* data, size_t size) {
  if (!Active()) return;
  const uint8_t c = static_cast<uint8_t>(FEvtChar);
  if (std::find(data, data + size, c) != data + size) FKept |= EV_RXFLAG;
}

uint32_t TEventCharEmulation::TakeKept() {
  const uint32_t kept = FKept & FMask;
  FKept = 0;
  return kept;
}

uint32_t TEventCharEmulation::Report(uint32_t driverEvents) {
  return (driverEvents & FMask) | TakeKept();
}

size_t TEventCharEmulation::Take(uint8_t* buffer, size_t count) {
  const size_t n = std::min(count, FQueue.size());
  std::copy_n(FQueue.begin(), n, buffer);
  FQueue.erase(FQueue.begin(), FQueue.begin() + static_cast<std::ptrdiff_t>(n));
  return n;
}

uint32_t TEventCharEmulation::TakeErrors() {
  const uint32_t errors = FErrors;
  FErrors = 0;
  return errors;
}

}  // namespace pzam::comm
