// Resolution of COMn against an injected device tree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "serial/comm/PortList.h"
#include "serial/comm/PortNames.h"
#include "support/TempDir.h"

namespace pzam::comm {
namespace {

namespace fs = std::filesystem;

class PortNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Tmp.Dir().empty());
    Root = Tmp.Dir().string();
  }
  void Node(const std::string& name) { std::ofstream(Root + "/" + name).put('\n'); }
  std::string Dev(const std::string& name) const { return Root + "/" + name; }
  TPortNames Make(std::set<std::string> uarts) {
    return TPortNames(Root, [uarts](const std::string& dev) {
      return uarts.count(fs::path(dev).filename().string()) > 0;
    });
  }
  pzam::test::TTempDir Tmp;
  std::string Root;
};

TEST_F(PortNames, DefaultsUartsThenAdaptersInStableOrder) {
  for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyS4", "ttyUSB10", "ttyUSB2",
                        "ttyACM0", "ttyUSB0", "ttyUSBx", "tty5", "console"})
    Node(n);
  TPortNames names = Make({"ttyS0", "ttyS2", "ttyS4"});
  std::map<int, std::string> expected = {
      {1, Dev("ttyS0")},   {3, Dev("ttyS2")},    {5, Dev("ttyUSB0")},
      {6, Dev("ttyUSB2")}, {7, Dev("ttyUSB10")}, {8, Dev("ttyACM0")},
  };
  EXPECT_EQ(names.Table(), expected);
  EXPECT_EQ(names.Resolve(3), Dev("ttyS2"));
  EXPECT_EQ(names.Resolve(2), "");  // the kernel's node without a UART
  EXPECT_EQ(names.Resolve(9), "");
}

TEST_F(PortNames, ExplicitMapComesFirstAndTakesItsDevicesOutOfTheDefaults) {
  for (const char* n : {"ttyS0", "ttyUSB0", "ttyUSB1", "ttyACM0"}) Node(n);
  fs::create_directories(Root + "/serial/by-id");
  fs::create_symlink(Dev("ttyUSB1"), Root + "/serial/by-id/usb-Gauge_1234-if00-port0");
  TPortNames names = Make({"ttyS0"});
  names.SetExplicitMap({{1, Dev("ttyACM0")},
                        {5, Root + "/serial/by-id/usb-Gauge_1234-if00-port0"},
                        {0, Dev("ttyUSB0")},      // out of range: ignored
                        {100, Dev("ttyUSB0")}});  // out of range: ignored
  auto table = names.Table();
  EXPECT_EQ(table[1], Dev("ttyACM0"));  // before ttyS0
  EXPECT_EQ(table[5], Root + "/serial/by-id/usb-Gauge_1234-if00-port0");
  EXPECT_EQ(table[6], Dev("ttyUSB0"));  // the next free number; ttyUSB1 is COM5 by its link
  EXPECT_EQ(table.size(), 3u);
}

TEST_F(PortNames, NewDevicesAppearWithoutStaleCache) {
  Node("ttyUSB0");
  TPortNames names = Make({});
  EXPECT_EQ(names.Resolve(5), Dev("ttyUSB0"));
  EXPECT_EQ(names.Resolve(6), "");
  Node("ttyACM3");
  EXPECT_EQ(names.Resolve(6), Dev("ttyACM3"));
  fs::remove(Dev("ttyUSB0"));
  EXPECT_EQ(names.Resolve(5), Dev("ttyACM3"));
  names.SetExplicitMap({{9, Dev("ttyACM3")}});
  EXPECT_EQ(names.Resolve(5), "");
  EXPECT_EQ(names.Resolve(9), Dev("ttyACM3"));
}

TEST_F(PortNames, ListDescribesEachPort) {
  Node("ttyS0");
  Node("ttyUSB0");
  TPortNames names = Make({"ttyS0"});
  auto list = ListPorts(names);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Number, 1);
  EXPECT_EQ(list[1].Number, 5);
  EXPECT_EQ(list[1].Device, Dev("ttyUSB0"));
  for (const auto& e : list) EXPECT_FALSE(e.Description.empty());
  EXPECT_EQ(DescribeDevice("/nonexistent/ttyUSB9"), "not present");
}

}  // namespace
}  // namespace pzam::comm
