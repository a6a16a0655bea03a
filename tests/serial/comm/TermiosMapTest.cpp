// SetCommState on a pseudo-terminal, read back from the terminal's settings (the master's
// TCGETS answers with the slave's termios).
#include <gtest/gtest.h>
#include <termios.h>

#include "PtyPair.h"
#include "common/ReasonTexts.h"
#include "serial/comm/LineSpeed.h"
#include "serial/comm/TermiosMap.h"

namespace pzam::comm {
namespace {

using test::TPtyBackend;

DCB Base() {
  DCB dcb;
  dcb.BaudRate = 9600;
  dcb.ByteSize = 8;
  dcb.Flags = DCB_fBinary;
  dcb.XonChar = 17;
  dcb.XoffChar = 19;
  return dcb;
}

class TermiosMap : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(B.Pty.Ok());
    H = B.Open();
    ASSERT_NE(H, INVALID_HANDLE_VALUE) << B.Api->LastErrorText();
  }
  void TearDown() override { B.Api->CloseHandle(H); }
  termios Line() {
    termios tio{};
    EXPECT_EQ(tcgetattr(B.Pty.Master(), &tio), 0);
    return tio;
  }
  TPtyBackend B;
  HANDLE H = INVALID_HANDLE_VALUE;
};

TEST_F(TermiosMap, OpeningSetsRawMode) {
  termios tio = Line();
  EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
  EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | ISTRIP | INLCR | IGNCR), 0u);
  EXPECT_EQ(tio.c_oflag & OPOST, 0u);
  EXPECT_EQ(tio.c_cc[VMIN], 1);
}

struct TFramingCase {
  uint8_t data, parity, stop;
  tcflag_t size, parityBits;
  bool cstopb;
};
const TFramingCase kFraming[] = {
    {8, NOPARITY, ONESTOPBIT, CS8, 0, false},
    {7, EVENPARITY, ONESTOPBIT, CS7, PARENB, false},
    {7, ODDPARITY, TWOSTOPBITS, CS7, PARENB | PARODD, true},
    {6, MARKPARITY, ONESTOPBIT, CS6, PARENB | PARODD | CMSPAR, false},
    {8, SPACEPARITY, TWOSTOPBITS, CS8, PARENB | CMSPAR, true},
    {5, NOPARITY, ONE5STOPBITS, CS5, 0, true},
};

TEST(DcbToTermios, FramingFields) {
  for (const auto& c : kFraming) {
    DCB dcb = Base();
    dcb.ByteSize = c.data;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stop;
    termios tio{};
    tio.c_cflag = CSTOPB | PARENB | CMSPAR | CS5;  // leftovers of an earlier setting
    ASSERT_EQ(DcbToTermios(dcb, tio), ERROR_SUCCESS);
    EXPECT_EQ(tio.c_cflag & CSIZE, c.size) << int(c.data);
    EXPECT_EQ(tio.c_cflag & (PARENB | PARODD | CMSPAR), c.parityBits) << int(c.parity);
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.cstopb) << int(c.stop);
    EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL), tcflag_t(CREAD | CLOCAL));
  }
}

TEST_F(TermiosMap, FramingFieldsReachTheLine) {
  // A pseudo-terminal keeps stop bits and the parity kind but always reports 8 data bits
  // without parity; SetCommState accepts that for it.
  for (const auto& c : kFraming) {
    DCB dcb = Base();
    dcb.ByteSize = c.data;
    dcb.Parity = c.parity;
    dcb.StopBits = c.stop;
    ASSERT_TRUE(B.Api->SetCommState(H, dcb))
        << int(c.data) << int(c.parity) << int(c.stop) << ": " << B.Api->LastErrorText();
    termios tio = Line();
    EXPECT_EQ(tio.c_cflag & (PARODD | CMSPAR), c.parityBits & (PARODD | CMSPAR));
    EXPECT_EQ((tio.c_cflag & CSTOPB) != 0, c.cstopb) << int(c.stop);
  }
}

TEST_F(TermiosMap, FlowControlAndParityCheck) {
  DCB dcb = Base();
  dcb.Flags |= DCB_fOutxCtsFlow | (2u << DCB_fRtsControlShift) | DCB_fOutX | DCB_fInX;
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  ASSERT_TRUE(B.Api->SetCommState(H, dcb));
  termios tio = Line();
  EXPECT_TRUE(tio.c_cflag & CRTSCTS);
  EXPECT_TRUE(tio.c_iflag & IXON);
  EXPECT_TRUE(tio.c_iflag & IXOFF);
  EXPECT_EQ(tio.c_cc[VSTART], 0x11);
  EXPECT_EQ(tio.c_cc[VSTOP], 0x13);
  EXPECT_FALSE(tio.c_iflag & INPCK);

  dcb = Base();
  dcb.Parity = EVENPARITY;
  dcb.Flags |= DCB_fParity;
  ASSERT_TRUE(B.Api->SetCommState(H, dcb));
  tio = Line();
  EXPECT_FALSE(tio.c_cflag & CRTSCTS);
  EXPECT_EQ(tio.c_iflag & (IXON | IXOFF), 0u);
  EXPECT_EQ(tio.c_iflag & (INPCK | PARMRK), tcflag_t(INPCK | PARMRK));
}

TEST_F(TermiosMap, SpeedsStandardAndOdd) {
  for (uint32_t baud : {50u, 9600u, 115200u, 921600u, 100173u, 256000u, 14400u}) {
    DCB dcb = Base();
    dcb.BaudRate = baud;
    ASSERT_TRUE(B.Api->SetCommState(H, dcb)) << baud << ": " << B.Api->LastErrorText();
    EXPECT_EQ(GetLineSpeed(B.Pty.Master()), baud);
  }
  DCB dcb = Base();
  dcb.BaudRate = 9600;
  ASSERT_TRUE(B.Api->SetCommState(H, dcb));
  termios tio = Line();
  EXPECT_EQ(cfgetospeed(&tio), speed_t(B9600));
}

TEST_F(TermiosMap, UnsupportedSettingsFailAndLeaveTheLine) {
  DCB good = Base();
  good.BaudRate = 19200;
  ASSERT_TRUE(B.Api->SetCommState(H, good));
  termios before = Line();
  // The reason each refusal gives (0: the system's own).
  struct TCase {
    const char* what;
    void (*change)(DCB&);
    uint32_t error;
    int reason;
  } cases[] = {
      {"4 data bits", [](DCB& d) { d.ByteSize = 4; }, ERROR_INVALID_PARAMETER, kReasonDataBits},
      {"9 data bits", [](DCB& d) { d.ByteSize = 9; }, ERROR_INVALID_PARAMETER, kReasonDataBits},
      {"1.5 stop with 8", [](DCB& d) { d.StopBits = ONE5STOPBITS; }, ERROR_INVALID_PARAMETER,
       kReasonOneAndHalfStopBits},
      {"2 stop with 5",
       [](DCB& d) {
         d.ByteSize = 5;
         d.StopBits = TWOSTOPBITS;
       },
       ERROR_INVALID_PARAMETER, kReasonTwoStopBitsWithFive},
      {"stop bits 3", [](DCB& d) { d.StopBits = 3; }, ERROR_INVALID_PARAMETER, kReasonStopBits},
      {"parity 5", [](DCB& d) { d.Parity = 5; }, ERROR_INVALID_PARAMETER, kReasonParity},
      {"baud 0", [](DCB& d) { d.BaudRate = 0; }, ERROR_INVALID_PARAMETER, kReasonBaudZero},
      {"xon equals xoff",
       [](DCB& d) {
         d.Flags |= DCB_fOutX;
         d.XoffChar = d.XonChar;
       },
       ERROR_INVALID_PARAMETER, kReasonXonIsXoff},
      {"dsr flow", [](DCB& d) { d.Flags |= DCB_fOutxDsrFlow; }, ERROR_NOT_SUPPORTED,
       kReasonNoDtrDsr},
      {"dtr handshake", [](DCB& d) { d.Flags |= 2u << DCB_fDtrControlShift; }, ERROR_NOT_SUPPORTED,
       kReasonNoDtrDsr},
  };
  for (const auto& c : cases) {
    DCB dcb = good;
    c.change(dcb);
    EXPECT_FALSE(B.Api->SetCommState(H, dcb)) << c.what;
    EXPECT_EQ(B.Api->GetLastError(), c.error) << c.what;
    EXPECT_EQ(B.Api->LastErrorText(), ReasonText(c.reason)) << c.what;
    termios after = Line();
    EXPECT_EQ(after.c_cflag, before.c_cflag) << c.what;
    EXPECT_EQ(after.c_iflag, before.c_iflag) << c.what;
  }
}

}  // namespace
}  // namespace pzam::comm
