#include "SimOptions.h"

#include <gtest/gtest.h>

namespace pzam::sim {
namespace {

TParseResult Parse(std::vector<std::string> args) {
  return ParseSimOptions(args);
}

TEST(SimOptions, DefaultsAndEveryOption) {
  auto r = Parse({"--instrument", "zam"});
  ASSERT_EQ("", r.Error);
  EXPECT_EQ(TInstrument::Zam, r.Options.Instrument);
  EXPECT_EQ(1000, r.Options.IntervalMs);
  EXPECT_EQ(TPace::Line, r.Options.Pace);
  EXPECT_EQ(0u, r.Options.Count);
  EXPECT_DOUBLE_EQ(12.345, r.Options.Mean);
  EXPECT_DOUBLE_EQ(0.005, r.Options.Sd);
  EXPECT_FALSE(r.Options.Seed.has_value());
  EXPECT_EQ(0, r.Options.PortNumber);

  r = Parse({"--instrument=sylvac", "--port", "com12", "--config", "/tmp/x.ini", "--interval=0",
             "--count", "9999", "--mean", "-0.5", "--sd=0", "--seed", "4294967295", "--log",
             "/tmp/l", "--cable", "simplex"});
  ASSERT_EQ("", r.Error);
  EXPECT_EQ(TInstrument::Sylvac, r.Options.Instrument);
  EXPECT_EQ(12, r.Options.PortNumber);
  EXPECT_EQ("/tmp/x.ini", r.Options.ConfigPath);
  EXPECT_EQ(0, r.Options.IntervalMs);
  EXPECT_EQ(9999u, r.Options.Count);
  EXPECT_DOUBLE_EQ(-0.5, r.Options.Mean);
  EXPECT_DOUBLE_EQ(0.0, r.Options.Sd);
  EXPECT_EQ(4294967295u, r.Options.Seed.value());
  EXPECT_EQ("/tmp/l", r.Options.LogPath);
  EXPECT_EQ(TCable::Simplex, r.Options.Cable);

  r = Parse({"--instrument", "quorvant", "--mean", "+1.25"});
  ASSERT_EQ("", r.Error);
  EXPECT_DOUBLE_EQ(1.25, r.Options.Mean);
  EXPECT_EQ(TPace::Pty, Parse({"--instrument", "zam", "--pace", "pty"}).Options.Pace);
  EXPECT_EQ(TPace::Line, Parse({"--instrument", "zam", "--pace=line"}).Options.Pace);
  EXPECT_TRUE(Parse({"--help"}).Options.Help);
  EXPECT_TRUE(Parse({"--instrument", "zam", "--messages"}).Options.Messages);
}

TEST(SimOptions, BadOptionsGiveOneLineErrors) {
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--port", "COM5"},
      {"--instrument", "mitutoyo"},
      {"--instrument"},
      {"--instrument", "zam", "--port", "COM0"},
      {"--instrument", "zam", "--port", "COM100"},
      {"--instrument", "zam", "--port", "COM05"},
      {"--instrument", "zam", "--port", "LPT1"},
      {"--instrument", "zam", "--interval", "-1"},
      {"--instrument", "zam", "--interval", "10ms"},
      {"--instrument", "zam", "--count", "-3"},
      {"--instrument", "zam", "--pace", "fast"},
      {"--instrument", "zam", "--count", ""},
      {"--instrument", "zam", "--mean", "abc"},
      {"--instrument", "zam", "--mean", "1000"},
      {"--instrument", "zam", "--mean", "nan"},
      {"--instrument", "zam", "--sd", "-0.1"},
      {"--instrument", "zam", "--sd", "inf"},
      {"--instrument", "zam", "--seed", "4294967296"},
      {"--instrument", "zam", "--config", ""},
      {"--instrument", "zam", "--verbose"},
      {"--instrument", "zam", "extra"},
      {"--instrument", "zam", "--messages=yes"},
      {"--instrument", "zam", "--cable", "duplex"},
      {"--instrument", "sylvac", "--cable", "both"},
      {"--instrument", "quorvant", "--messages"},
  };
  for (const auto& args : bad) {
    std::string joined;
    for (const auto& a : args) joined += a + " ";
    SCOPED_TRACE(joined);
    const auto r = Parse(args);
    EXPECT_NE("", r.Error);
    EXPECT_EQ(std::string::npos, r.Error.find('\n'));
  }
}

TEST(SimOptions, PortNames) {
  EXPECT_EQ(1, ParsePortName("COM1"));
  EXPECT_EQ(99, ParsePortName("COM99"));
  EXPECT_EQ(5, ParsePortName("Com5"));
  for (const char* bad : {"COM", "COM0", "COM100", "COM-1", "COM+5", "COM5x", "XCOM5", ""}) {
    EXPECT_EQ(0, ParsePortName(bad)) << bad;
  }
}

}  // namespace
}  // namespace pzam::sim
