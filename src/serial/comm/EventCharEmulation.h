// EV_RXFLAG for a driver that does not keep the DCB's event character (Wine reports EV_RXCHAR
// only, and GetCommState reads EvtChar back as 0). While the caller waits for EV_RXFLAG, the
// backend asks the driver for EV_RXCHAR as well, moves what the driver received into this
// object's queue and looks for the event character there. Reads take from this queue before
// the driver's, and its bytes count in the receive queue. With a driver that keeps the event
// character (Windows) nothing here is used.
//
// Not thread-safe: the backend calls it under its port's lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace pzam::comm {

class TEventCharEmulation {
 public:
  // The event character the DCB asked for, and whether the driver read it back unchanged.
  void Configure(char evtChar, bool driverKeepsIt);
  // The caller's event mask; returns the mask to give the driver. Forgets kept events, as a
  // driver forgets its event history when the mask changes.
  uint32_t SetMask(uint32_t mask);
  uint32_t Mask() const { return FMask; }
  // What the driver must be asked for now: the caller's mask, with EV_RXCHAR while Active().
  uint32_t DriverMask() const;
  // Whether a wait must move the driver's bytes here: the caller waits for an event character
  // the driver does not look for.
  bool Active() const;
  // The most bytes the queue holds (the receive queue size); at least 1.
  void SetLimit(size_t limit);

  // Bytes moved from the driver's queue: kept for reads and looked through. Bytes beyond the
  // limit are lost, as in a full driver queue (CE_RXOVER).
  void Store(const uint8_t* data, size_t size);
  // Bytes a read took from the driver directly: looked through only.
  void Scan(const uint8_t* data, size_t size);

  // Events kept from stores and scans since the last wait; forgets them.
  uint32_t TakeKept();
  // The events for the caller when the driver's wait ended with driverEvents (after the bytes
  // were stored): those of the caller's mask, with the kept ones. 0: nothing the caller asked
  // for, wait again. Forgets the kept events.
  uint32_t Report(uint32_t driverEvents);

  // Takes up to count bytes from the front of the queue; returns how many.
  size_t Take(uint8_t* buffer, size_t count);
  size_t Queued() const { return FQueue.size(); }

  // Line errors to hand out with the next ClearCommError (the driver's, which the backend had to
  // clear to learn its queue size, and this queue's overflow); forgets them.
  void KeepErrors(uint32_t errors) { FErrors |= errors; }
  uint32_t TakeErrors();

 private:
  char FEvtChar = 0;
  bool FDriverKeeps = true;
  uint32_t FMask = 0;
  uint32_t FKept = 0;
  uint32_t FErrors = 0;
  size_t FLimit = 4096;
  std::deque<uint8_t> FQueue;
};

}  // namespace pzam::comm
