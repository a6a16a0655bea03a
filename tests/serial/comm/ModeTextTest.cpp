#include <gtest/gtest.h>

#include "serial/comm/ModeText.h"

namespace pzam::comm {
namespace {

struct TModeCase {
  const char* text;
  uint32_t baud;
  uint8_t data, parity, stop;
};

TEST(ModeText, AcceptsKeywordAndShortForms) {
  const TModeCase cases[] = {
      {"baud=9600 parity=N data=8 stop=1", 9600, 8, NOPARITY, ONESTOPBIT},
      {"BAUD=19200 PARITY=e DATA=7 STOP=2", 19200, 7, EVENPARITY, TWOSTOPBITS},
      {"baud=1200 parity=m data=5 stop=1.5", 1200, 5, MARKPARITY, ONE5STOPBITS},
      {"baud=110 parity=s data=8", 110, 8, SPACEPARITY, TWOSTOPBITS},  // 110 baud: 2 stop bits
      {"COM1: baud=96 parity=o data=6 stop=1", 9600, 6, ODDPARITY, ONESTOPBIT},
      {"9600,n,8,1", 9600, 8, NOPARITY, ONESTOPBIT},
      {"com12:19,e,7,2", 19200, 7, EVENPARITY, TWOSTOPBITS},
      {"115200, o, 8, 1", 115200, 8, ODDPARITY, ONESTOPBIT},
      {"4800", 4800, 8, NOPARITY, ONESTOPBIT},  // what is not given stays
  };
  for (const auto& c : cases) {
    DCB dcb;
    dcb.ByteSize = 8;
    ASSERT_TRUE(ParseModeText(c.text, dcb)) << c.text;
    EXPECT_EQ(dcb.BaudRate, c.baud) << c.text;
    EXPECT_EQ(dcb.ByteSize, c.data) << c.text;
    EXPECT_EQ(dcb.Parity, c.parity) << c.text;
    EXPECT_EQ(dcb.StopBits, c.stop) << c.text;
    EXPECT_TRUE(dcb.Flags & DCB_fBinary) << c.text;
  }
}

TEST(ModeText, RejectsBadTextAndLeavesDcbAlone) {
  const char* bad[] = {"",           "baud=",        "baud=fast",   "parity=x",
                       "data=9",     "stop=3",       "speed=9600",  "baud=9600 parity",
                       "9600,q,8,1", "9600,n,8,1,z", "1,2,3,4,5,6", "COM: baud=9600",
                       "baud=0",     "dtr=maybe"};
  for (const char* text : bad) {
    DCB dcb;
    dcb.BaudRate = 1234;
    dcb.Flags = DCB_fOutX;
    EXPECT_FALSE(ParseModeText(text, dcb)) << text;
    EXPECT_EQ(dcb.BaudRate, 1234u) << text;
    EXPECT_EQ(dcb.Flags, DCB_fOutX) << text;
  }
}

TEST(ModeText, SwitchesFlowControlOffUnlessAsked) {
  DCB dcb;
  dcb.Flags = DCB_fOutX | DCB_fInX | DCB_fOutxCtsFlow | DCB_fOutxDsrFlow | DCB_fNull;
  ASSERT_TRUE(ParseModeText("baud=9600 parity=N data=8 stop=1", dcb));
  EXPECT_EQ(dcb.Flags & (DCB_fOutX | DCB_fInX | DCB_fOutxCtsFlow | DCB_fOutxDsrFlow), 0u);
  EXPECT_TRUE(dcb.Flags & DCB_fNull);  // not a flow-control bit
  EXPECT_EQ(dcb.DtrControl(), 1u);
  EXPECT_EQ(dcb.RtsControl(), 1u);

  ASSERT_TRUE(ParseModeText("baud=9600 xon=on octs=on dtr=hs rts=hs", dcb));
  EXPECT_EQ(dcb.Flags & (DCB_fOutX | DCB_fInX | DCB_fOutxCtsFlow),
            DCB_fOutX | DCB_fInX | DCB_fOutxCtsFlow);
  EXPECT_EQ(dcb.DtrControl(), 2u);
  EXPECT_EQ(dcb.RtsControl(), 2u);

  ASSERT_TRUE(ParseModeText("9600,n,8,1,x", dcb));
  EXPECT_EQ(dcb.Flags & (DCB_fOutX | DCB_fInX), DCB_fOutX | DCB_fInX);
}

}  // namespace
}  // namespace pzam::comm
