#include "serial/comm/InputDecoder.h"

#include "serial/comm/CommApi.h"

namespace pzam::comm {

namespace {

void Push(const TInputOptions& o, uint8_t b, std::deque<uint8_t>& queue, uint32_t& events) {
  if (b == 0 && o.DropNull) return;
  queue.push_back(b);
  events |= EV_RXCHAR;
  if (b == o.EventChar) events |= EV_RXFLAG;
}

}  // namespace

uint32_t TInputDecoder::Feed(const TInputOptions& o, const uint8_t* data, size_t size,
                             std::deque<uint8_t>& queue, uint32_t& errors) {
  uint32_t events = 0;
  for (size_t i = 0; i < size; ++i) {
    uint8_t b = data[i];
    if (!o.Marked) {
      Push(o, b, queue, events);
    } else if (FState == 0) {
      if (b == 0xFF)
        FState = 1;
      else
        Push(o, b, queue, events);
    } else if (FState == 1) {
      FState = b == 0x00 ? 2 : 0;
      if (b != 0x00) Push(o, b, queue, events);
    } else {
      FState = 0;
      if (b == 0x00) {
        errors |= CE_BREAK;
        events |= EV_BREAK;
      } else {
        errors |= CE_RXPARITY;
        events |= EV_ERR;
        Push(o, o.ReplaceErrors ? o.ErrorChar : b, queue, events);
      }
    }
  }
  return events;
}

}  // namespace pzam::comm
