// TSerial: the transfer entry points and the queue counts. Each transfer passes a record of its
// own, so a read on the event thread and a write on the window thread never take each other's
// completion.
#include "serial/SerThread.h"
#include "serial/Serial.h"

namespace pzam::serial {

using namespace pzam::comm;

std::string TSerial::ReadText() {
  switch (FVariant.load()) {
    case TIoVariant::Direct:
      return ReadTextDirect();
    case TIoVariant::Waiting:
      return ReadTextWaiting();
    default:
      return ReadTextClosed();
  }
}

uint32_t TSerial::WriteText(const std::string& text) {
  switch (FVariant.load()) {
    case TIoVariant::Direct:
      return WriteTextDirect(text);
    case TIoVariant::Waiting:
      return WriteTextWaiting(text);
    default:
      return WriteTextClosed(text);
  }
}

uint32_t TSerial::ReadData(void* buffer, uint32_t count) {
  switch (FVariant.load()) {
    case TIoVariant::Direct:
      return ReadDataDirect(buffer, count);
    case TIoVariant::Waiting:
      return ReadDataWaiting(buffer, count);
    default:
      return ReadDataClosed(buffer, count);
  }
}

uint32_t TSerial::WriteData(const void* buffer, uint32_t count) {
  switch (FVariant.load()) {
    case TIoVariant::Direct:
      return WriteDataDirect(buffer, count);
    case TIoVariant::Waiting:
      return WriteDataWaiting(buffer, count);
    default:
      return WriteDataClosed(buffer, count);
  }
}

uint32_t TSerial::WriteTextDirect(const std::string& t) {
  return WriteOpen(t.data(), static_cast<uint32_t>(t.size()), false);
}

uint32_t TSerial::WriteTextWaiting(const std::string& t) {
  return WriteOpen(t.data(), static_cast<uint32_t>(t.size()), true);
}

void TSerial::QueueCounts(uint32_t& inQue, uint32_t& outQue) {
  inQue = 0;
  outQue = 0;
  if (!Active()) return;
  uint32_t errors = 0;  // discarded: asking clears the line's error state
  COMSTAT stat;
  if (FApi.ClearCommError(FHandle, errors, &stat)) {
    inQue = stat.cbInQue;
    outQue = stat.cbOutQue;
  }
}

uint32_t TSerial::InQueCount() {
  uint32_t inQue = 0, outQue = 0;
  QueueCounts(inQue, outQue);
  return inQue;
}

uint32_t TSerial::Complete(HANDLE h, bool ok, uint32_t count, OVERLAPPED& ov, bool waiting) {
  if (!ok && waiting && FApi.GetLastError() == ERROR_IO_PENDING) {
    if (!FApi.GetOverlappedResult(h, &ov, count, SyncWait())) count = 0;
  }
  return count;
}

std::string TSerial::ReadTextOpen(bool waiting) {
  const uint32_t n = InQueCount();
  if (n == 0) return {};
  const HANDLE h = FHandle;
  std::string text(n, '\0');
  OVERLAPPED ov;
  uint32_t count = 0;
  const bool ok = FApi.ReadFile(h, text.data(), n, count, &ov);
  count = Complete(h, ok, count, ov, waiting);
  // Only the bytes that were read: a short read leaves nothing undefined in the text.
  text.resize(std::min(count, n));
  return text;
}

uint32_t TSerial::WriteOpen(const void* buffer, uint32_t count, bool waiting) {
  const HANDLE h = FHandle;
  OVERLAPPED ov;
  uint32_t written = 0;
  const bool ok = FApi.WriteFile(h, buffer, count, written, &ov);
  return Complete(h, ok, written, ov, waiting);
}

uint32_t TSerial::ReadDataOpen(void* buffer, uint32_t count, bool waiting) {
  if (count == 0) return 0;
  const uint32_t m = SyncWait() ? count : std::min(count, InQueCount());
  const HANDLE h = FHandle;
  OVERLAPPED ov;
  uint32_t read = 0;
  const bool ok = FApi.ReadFile(h, buffer, m, read, &ov);
  return Complete(h, ok, read, ov, waiting);
}

}  // namespace pzam::serial
