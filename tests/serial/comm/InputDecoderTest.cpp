#include <gtest/gtest.h>

#include <string>

#include "serial/comm/CommApi.h"
#include "serial/comm/InputDecoder.h"

namespace pzam::comm {
namespace {

struct TResult {
  std::string queue;
  uint32_t events = 0, errors = 0;
};

// Feeds the chunks one after the other into one decoder.
TResult Decode(const TInputOptions& o, std::initializer_list<std::string> chunks) {
  TInputDecoder decoder;
  std::deque<uint8_t> queue;
  TResult r;
  for (const auto& c : chunks)
    r.events |=
        decoder.Feed(o, reinterpret_cast<const uint8_t*>(c.data()), c.size(), queue, r.errors);
  r.queue.assign(queue.begin(), queue.end());
  return r;
}

std::string B(const char* s, size_t n) {
  return std::string(s, n);
}

TEST(InputDecoder, MarkedInput) {
  TInputOptions marked;
  marked.Marked = true;
  marked.EventChar = '\r';
  TInputOptions replace = marked;
  replace.ReplaceErrors = true;
  replace.ErrorChar = '?';
  struct TCase {
    const char* what;
    TInputOptions options;
    std::initializer_list<std::string> in;
    std::string queue;
    uint32_t events, errors;
  } cases[] = {
      {"doubled 0xFF",
       marked,
       {B("a\xFF\xFF"
          "b",
          4)},
       B("a\xFF"
         "b",
         3),
       EV_RXCHAR,
       0},
      {"error byte kept",
       marked,
       {B("\xFF\x00x\r", 4)},
       "x\r",
       EV_RXCHAR | EV_ERR | EV_RXFLAG,
       CE_RXPARITY},
      {"error byte replaced",
       replace,
       {B("1\xFF\x00"
          "2",
          4)},
       "1?",
       EV_RXCHAR | EV_ERR,
       CE_RXPARITY},
      {"break",
       marked,
       {B("\xFF\x00\x00"
          "z",
          4)},
       "z",
       EV_RXCHAR | EV_BREAK,
       CE_BREAK},
      {"marks split over chunks",
       marked,
       {B("\xFF", 1), B("\x00", 1), B("\x00", 1), B("\xFF", 1), B("\xFF", 1)},
       B("\xFF", 1),
       EV_RXCHAR | EV_BREAK,
       CE_BREAK},
      {"plain 0x00 stays", marked, {B("\x00\r", 2)}, B("\x00\r", 2), EV_RXCHAR | EV_RXFLAG, 0},
  };
  for (const auto& c : cases) {
    TResult r = Decode(c.options, c.in);
    EXPECT_EQ(r.queue, c.queue) << c.what;
    EXPECT_EQ(r.events, c.events) << c.what;
    EXPECT_EQ(r.errors, c.errors) << c.what;
  }
}

TEST(InputDecoder, UnmarkedInputIsTakenAsItIs) {
  TInputOptions plain;
  plain.EventChar = 23;
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  TResult r = Decode(plain, {all});
  EXPECT_EQ(r.queue, all);
  EXPECT_EQ(r.events, EV_RXCHAR | EV_RXFLAG);
  EXPECT_EQ(r.errors, 0u);

  TInputOptions dropNull = plain;
  dropNull.DropNull = true;
  r = Decode(dropNull, {B("\x00\x00", 2)});
  EXPECT_EQ(r.queue, "");
  EXPECT_EQ(r.events, 0u);  // nothing entered the queue
  r = Decode(dropNull, {B("1\x00\x17", 3)});
  EXPECT_EQ(r.queue, "1\x17");
  EXPECT_EQ(r.events, EV_RXCHAR | EV_RXFLAG);
}

}  // namespace
}  // namespace pzam::comm
