// What a Windows serial driver does to received bytes before they enter the receive queue:
// parity marking undone (PARMRK: 0xFF 0xFF is a data 0xFF, 0xFF 0x00 0x00 a break, 0xFF 0x00 x
// a byte x with a parity or framing error), the error character, fNull, and the events.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>

namespace pzam::comm {

struct TInputOptions {
  bool Marked = false;         // the input carries PARMRK marks (parity checking on)
  bool DropNull = false;       // fNull
  bool ReplaceErrors = false;  // fErrorChar
  uint8_t ErrorChar = 0;
  uint8_t EventChar = 0;
};

class TInputDecoder {
 public:
  // Decodes data onto the end of queue. Returns the events (EV_RXCHAR, EV_RXFLAG, EV_ERR,
  // EV_BREAK) and adds the line errors (CE_RXPARITY, CE_BREAK) to errors. A mark split over two
  // calls is completed by the next call.
  uint32_t Feed(const TInputOptions& options, const uint8_t* data, size_t size,
                std::deque<uint8_t>& queue, uint32_t& errors);
  // Forgets a partial mark (after a change of the line settings).
  void Reset() { FState = 0; }

 private:
  int FState = 0;  // 0 plain, 1 after 0xFF, 2 after 0xFF 0x00
};

}  // namespace pzam::comm
