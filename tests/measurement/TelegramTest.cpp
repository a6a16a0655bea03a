#include "measurement/Telegram.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace pzam::measurement {
namespace {

const std::string E(1, '\x17');

TEST(GaugeFramer, FramesEveryCompleteTelegramAndKeepsTheTail) {
  const struct {
    std::vector<std::string> reads;
    std::vector<std::string> bodies;
    std::string tail;
  } cases[] = {
      {{"xx@ANZ00000001" + E + "yy"}, {"@ANZ00000001"}, ""},
      {{"no at sign" + E}, {}, ""},
      {{"@ANZ1" + E + "@ANZ2" + E + "@IST3" + E}, {"@ANZ1", "@ANZ2", "@IST3"}, ""},
      {{"@ANZ000", "00001@IST+001,000" + E}, {"@ANZ00000001@IST+001,000"}, ""},
      {{"@ANZ1" + E + "@IST"}, {"@ANZ1"}, "@IST"},
      {{"junk@ANZ1@IST2" + E}, {"@ANZ1@IST2"}, ""},
      {{E + "@A", "NZ" + E}, {"@ANZ"}, ""},
      {{"@", "", "@" + E}, {"@@"}, ""},
  };
  for (const auto& c : cases) {
    TGaugeFramer framer;
    std::vector<std::string> got;
    for (const auto& r : c.reads)
      for (auto& b : framer.Feed(r)) got.push_back(b);
    EXPECT_EQ(got, c.bodies) << c.reads[0];
    EXPECT_EQ(framer.Tail(), c.tail) << c.reads[0];
  }
}

TEST(LineFramer, SplitsAtCarriageReturns) {
  TLineFramer framer;
  EXPECT_EQ(framer.Feed("+1.5\r-2"), (std::vector<std::string>{"+1.5\r"}));
  EXPECT_EQ(framer.Tail(), "-2");
  EXPECT_EQ(framer.Feed(".5\r\r+3\r"), (std::vector<std::string>{"-2.5\r", "\r", "+3\r"}));
  EXPECT_EQ(framer.Tail(), "");
}

// Bytes that never end a telegram: the tail keeps at most its newest kMaxTail bytes (the receive
// queue), and the telegram that finally ends them is taken.
TEST(Framers, EndlessBytesKeepTheTailBoundedAndTheNextTelegramIsTaken) {
  std::string high;  // every byte from 0x80 up, as a line with parity errors gives them
  for (int b = 0x80; b <= 0xFF; ++b) high += static_cast<char>(b);
  const struct {
    std::string start, filler;
  } cases[] = {
      {"", "x"},      {"", std::string(1, '\0')},
      {"", high},     {"", std::string("\xFF\x00", 2)},
      {"@", "x"},     {"@", "@"},
      {"@", "ab@cd"}, {"@", std::string(1, '\0')},
      {"@", high},
  };
  const std::size_t megabyte = 1 << 20;
  for (const auto& c : cases) {
    std::string chunk;
    while (chunk.size() < 4096) chunk += c.filler;
    TGaugeFramer gauge;
    TLineFramer line;
    std::size_t gaugeTail = 0, lineTail = 0;
    for (std::size_t sent = 0; sent < megabyte; sent += chunk.size()) {
      const std::string read = sent == 0 ? c.start + chunk : chunk;
      EXPECT_TRUE(gauge.Feed(read).empty());
      EXPECT_TRUE(line.Feed(read).empty());
      gaugeTail = std::max(gaugeTail, gauge.Tail().size());
      lineTail = std::max(lineTail, line.Tail().size());
    }
    EXPECT_LE(gaugeTail, kMaxTail) << c.filler;
    EXPECT_EQ(lineTail, kMaxTail) << c.filler;
    EXPECT_TRUE(gauge.Tail().empty() || gauge.Tail()[0] == '@') << c.filler;

    const auto bodies = gauge.Feed("@ANZ00000001@IST+001.000" + E);
    ASSERT_EQ(bodies.size(), 1u) << c.filler;
    TSharedTexts t;
    TGaugeTelegram g;
    DecodeGaugeTelegram(bodies[0], t, g);
    EXPECT_EQ(t.Count, "00000001") << c.filler;
    EXPECT_EQ(t.Value, "+001.000") << c.filler;
    EXPECT_TRUE(gauge.Tail().empty());

    const auto texts = line.Feed("+12.345\r");
    ASSERT_EQ(texts.size(), 1u) << c.filler;
    EXPECT_LE(texts[0].size(), kMaxTail + 8);
    DecodeSignedValue(texts[0], 1, t);
    EXPECT_EQ(t.Value, "+12.345") << c.filler;
    EXPECT_EQ(line.Feed("+1\r"), (std::vector<std::string>{"+1\r"}));
  }
}

// Instruments set to CR LF line ends: the LF after a carriage return belongs to the text before
// it, in the same read or the next; any other LF stays in its text.
TEST(LineFramer, AnLfAfterACarriageReturnBelongsToTheTextBefore) {
  const struct {
    std::vector<std::string> reads;
    std::vector<std::string> texts;
    std::string tail;
  } cases[] = {
      {{"+12.345\r\nS\r+12.346\r\n"}, {"+12.345\r", "S\r", "+12.346\r"}, ""},
      {{"+1\r", "\nS\r"}, {"+1\r", "S\r"}, ""},
      {{"+1\r", "", "\n+2\r"}, {"+1\r", "+2\r"}, ""},
      {{"+1\r\n", "\n+2\r"}, {"+1\r", "\n+2\r"}, ""},  // a second LF is the next text's
      {{"\n+1\r"}, {"+1\r"}, ""},                      // first in the run
      {{"\n", "\n+1\r"}, {"\n+1\r"}, ""},
      {{"+1\n2\r"}, {"+1\n2\r"}, ""},  // an LF alone is part of its text
      {{"+1", "\n", "\r"}, {"+1\n\r"}, ""},
      {{"+1\r-", "\n2\r"}, {"+1\r", "-\n2\r"}, ""},
      {{"\r\n\r\n"}, {"\r", "\r"}, ""},
      {{"+1\r\n+2"}, {"+1\r"}, "+2"},
      {{"+1\n\r\n"}, {"+1\n\r"}, ""},
  };
  for (const auto& c : cases) {
    TLineFramer framer;
    std::vector<std::string> got;
    for (const auto& r : c.reads)
      for (auto& t : framer.Feed(r)) got.push_back(t);
    EXPECT_EQ(got, c.texts) << c.reads[0];
    EXPECT_EQ(framer.Tail(), c.tail) << c.reads[0];
  }
  // After Clear (a new run, a port back after a loss) a first LF is dropped again.
  TLineFramer framer;
  EXPECT_TRUE(framer.Feed("+1").empty());
  framer.Clear();
  EXPECT_EQ(framer.Feed("\n+2\r"), (std::vector<std::string>{"+2\r"}));
}

TEST(DecodeGaugeTelegram, Fields) {
  const struct {
    std::string body;
    std::string count, value, mean, deviation, code, message;
  } cases[] = {
      // All four fields, each 8 characters after its code.
      {"@ANZ00000012@IST+012.345@MWT+012.300@STW  0.0012", "00000012", "+012.345", "+012.300",
       "  0.0012", "STW", "(none)"},
      // A short field takes the next "@" into its text; the next field is still read.
      {"@ANZ12@IST+1.5", "12@IST+1", "+1.5", "m", "d", "IST", "(none)"},
      // A message runs to the end of the body, later fields included.
      {"@ANZ00000001@MSGLow battery", "00000001", "v", "m", "d", "MSG", "Low battery"},
      {"@MSGhello@IST+000.001", "c", "+000.001", "m", "d", "IST", "hello@IST+000.001"},
      // Unknown and lower-case codes store nothing but become the field code.
      {"@ist+000.001", "c", "v", "m", "d", "ist", "(none)"},
      {"@AN", "c", "v", "m", "d", "AN", "(none)"},
      {"@", "c", "v", "m", "d", "", "(none)"},
      {"@IST", "c", "", "m", "d", "IST", "(none)"},
  };
  for (const auto& c : cases) {
    TSharedTexts t{"c", "v", "m", "d", "max", "min"};
    TGaugeTelegram g{"old", "(none)"};
    DecodeGaugeTelegram(c.body, t, g);
    EXPECT_EQ(t.Count, c.count) << c.body;
    EXPECT_EQ(t.Value, c.value) << c.body;
    EXPECT_EQ(t.Mean, c.mean) << c.body;
    EXPECT_EQ(t.Deviation, c.deviation) << c.body;
    EXPECT_EQ(t.Maximum, "0") << c.body;
    EXPECT_EQ(t.Minimum, "0") << c.body;
    EXPECT_EQ(g.FieldCode, c.code) << c.body;
    EXPECT_EQ(g.Message, c.message) << c.body;
  }
}

TEST(DecodeGaugeTelegram, Lines) {
  TSharedTexts t{"00000001", "+012.345", "+012.300", "  0.0012", "", ""};
  EXPECT_EQ(GaugeLine(t), "00000001   +012.345   +012.300     0.0012");
  EXPECT_EQ(GaugeMessageLine("Low battery"), "*** Meldung: Low battery ***");
}

TEST(DecodeSignedValue, ValueTexts) {
  const struct {
    std::string text;
    std::string value;
  } cases[] = {
      {"+0012.345\r", "+0012.345"},
      {"-0.5\r", "-0.5"},
      {"x-1+2\r", "+2"},     // a "+" wins over an earlier "-"
      {"12.5\r", "12.5\r"},  // no sign: the first characters up to and with the CR
      {"\r", "\r"},
      {"\r+1", ""},  // the CR before the sign
      {"+1", ""},    // no CR
      {" +1 mm\r", "+1 mm"},
  };
  for (const auto& c : cases) {
    TSharedTexts t{"c", "v", "m", "d", "max", "min"};
    DecodeSignedValue(c.text, 7, t);
    EXPECT_EQ(t.Value, c.value);
    EXPECT_EQ(t.Count, "7");
    EXPECT_EQ(t.Mean, "0");
    EXPECT_EQ(t.Deviation, "0");
    EXPECT_EQ(t.Maximum, "max");
    EXPECT_EQ(t.Minimum, "min");
  }
  EXPECT_TRUE(IsSignedValueText("+1\r"));
  EXPECT_TRUE(IsSignedValueText("\r"));
  EXPECT_FALSE(IsSignedValueText("STO0\r"));
  EXPECT_FALSE(IsSignedValueText(""));
}

}  // namespace
}  // namespace pzam::measurement
