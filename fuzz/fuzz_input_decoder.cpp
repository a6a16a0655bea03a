// Fuzzes the line input decoder (parity marks, error character, NUL elimination). The first four
// bytes pick the options, the error and event characters and the size of each piece; the result
// must not depend on how the bytes were split into pieces.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>

#include "serial/comm/InputDecoder.h"

using pzam::comm::TInputDecoder;
using pzam::comm::TInputOptions;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  TInputOptions o;
  o.Marked = data[0] & 1;
  o.DropNull = data[0] & 2;
  o.ReplaceErrors = data[0] & 4;
  o.ErrorChar = data[1];
  o.EventChar = data[2];
  const std::size_t piece = 1 + data[3] % 16;
  data += 4;
  size -= 4;

  TInputDecoder whole;
  std::deque<std::uint8_t> all;
  std::uint32_t allErrors = 0;
  const std::uint32_t allEvents = whole.Feed(o, data, size, all, allErrors);

  TInputDecoder split;
  std::deque<std::uint8_t> pieces;
  std::uint32_t pieceErrors = 0, pieceEvents = 0;
  for (std::size_t at = 0; at < size; at += piece) {
    const std::size_t n = size - at < piece ? size - at : piece;
    pieceEvents |= split.Feed(o, data + at, n, pieces, pieceErrors);
  }
  if (pieces != all || pieceErrors != allErrors || pieceEvents != allEvents) std::abort();
  // Decoding never adds bytes, and fNull leaves no NUL in the queue.
  if (all.size() > size) std::abort();
  for (std::uint8_t b : all)
    if (o.DropNull && b == 0) std::abort();
  if (!o.Marked) {
    std::size_t kept = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (o.DropNull && data[i] == 0) continue;
      if (kept >= all.size() || all[kept++] != data[i]) std::abort();
    }
    if (kept != all.size() || allErrors != 0) std::abort();
  }
  return 0;
}
