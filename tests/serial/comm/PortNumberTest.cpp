// The port number of a COM name, the same on every platform.
#include <gtest/gtest.h>

#include "serial/comm/PortNames.h"

namespace pzam::comm {
namespace {

TEST(PortNumber, FromName) {
  struct TCase {
    const char* name;
    int number;
  } cases[] = {{"COM1", 1},          {"COM9", 9},   {"com12", 12}, {"\\\\.\\COM12", 12},
               {"\\\\.\\COM99", 99}, {"COM100", 0}, {"COM0", 0},   {"COM05", 0},
               {"COM", 0},           {"LPT1", 0},   {"COM1:", 0},  {"", 0},
               {"\\\\.\\LPT1", 0},   {"COMx", 0}};
  for (const auto& c : cases) EXPECT_EQ(PortNumberFromName(c.name), c.number) << c.name;
}

}  // namespace
}  // namespace pzam::comm
