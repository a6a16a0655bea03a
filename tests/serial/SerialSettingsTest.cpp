// The setters' rules, the settings record and the blocks an opening builds from the settings.
#include <gtest/gtest.h>

#include "serial/LineBlocks.h"
#include "serial/Serial.h"
#include "support/FakeCommApi.h"

namespace pzam::serial {
namespace {

using namespace pzam::comm;

class SerialSettings : public ::testing::Test {
 protected:
  TFakeCommApi api;
  TCOMManager manager{WithPresent(api, {"COM1", "COM3"}), 4};
  TSerial serial{api, manager};
};

TEST_F(SerialSettings, Defaults) {
  TSerialSettings s;
  serial.GetSettings(s);
  TSerialSettings expected;  // the record's defaults are the component's
  expected.Valid = true;
  expected.COMPort = 1;  // first listed port
  EXPECT_EQ(s, expected);
  EXPECT_EQ(serial.ThreadPriority(), TThreadPriority::tpNormal);
  EXPECT_FALSE(serial.Active());
  EXPECT_TRUE(serial.EnableEvents());
  EXPECT_TRUE(serial.SyncWait());
  EXPECT_FALSE(serial.SyncEventHandling());
  EXPECT_EQ(serial.DataSize(), 0);
}

TEST(SerialConstruction, NoPortListedGivesPortZero) {
  TFakeCommApi api;
  TCOMManager manager(api, 4);
  TSerial serial(api, manager);
  EXPECT_EQ(serial.COMPort(), 0);
}

TEST_F(SerialSettings, BaudrateReducedToDivisorAndLimited) {
  const struct {
    int in, out;
  } cases[] = {{50, 50},          {75, 75},
               {110, 110},        {300, 300},
               {9600, 9600},      {14400, 14400},
               {115200, 115200},  {128000, 128000},
               {256000, 256000},  {921600, 921600},
               {100000, 100173},  {250000, 256000},
               {500000, 512000},  {1000000, 921600},
               {49, 50},          {10, 50},
               {1, 50},           {0, 50},
               {-9600, 50},       {9216000, 921600},
               {9216001, 921600}, {2147483647, 921600}};
  for (const auto& c : cases) {
    serial.SetBaudrate(c.in);
    EXPECT_EQ(serial.Baudrate(), c.out) << c.in;
  }
}

TEST_F(SerialSettings, FlowControlLimitsFollowTheOrderOfCalls) {
  serial.SetXOffLimit(300);  // not above XOnLimit 512
  EXPECT_EQ(serial.XOffLimit(), 513);
  serial.SetBufSizeRec(100);
  EXPECT_EQ(serial.BufSizeRec(), 4096);
  serial.SetXOffLimit(100000);  // capped by the receive queue
  EXPECT_EQ(serial.XOffLimit(), 4096);
  serial.SetXOnLimit(5000);  // pushed below XOffLimit
  EXPECT_EQ(serial.XOnLimit(), 4095);
  serial.SetXOnLimit(-3);
  EXPECT_EQ(serial.XOnLimit(), 0);

  // A smaller receive queue lowers XOffLimit and then XOnLimit below it.
  serial.SetBufSizeRec(16384);
  serial.SetXOffLimit(12000);
  serial.SetXOnLimit(11000);
  serial.SetBufSizeRec(5000);
  EXPECT_EQ(serial.XOffLimit(), 5000);
  EXPECT_EQ(serial.XOnLimit(), 4999);
}

TEST_F(SerialSettings, OtherClamps) {
  serial.SetBufSizeTrm(10);
  EXPECT_EQ(serial.BufSizeTrm(), 4096);
  serial.SetDataSize(-1);
  EXPECT_EQ(serial.DataSize(), 0);
  serial.SetDataSize(1 << 20);
  EXPECT_EQ(serial.DataSize(), 16384);
  serial.SetRecTimeOut(-5);
  serial.SetTrmTimeOut(-1);
  EXPECT_EQ(serial.RecTimeOut(), 0);
  EXPECT_EQ(serial.TrmTimeOut(), 0);
  serial.SetParityBit(TParityBit::mark);
  EXPECT_TRUE(serial.ParityCheck());
  serial.SetParityBit(TParityBit::none);
  EXPECT_FALSE(serial.ParityCheck());
}

TEST_F(SerialSettings, COMPortOnlyListedOrZero) {
  serial.SetCOMPort(3);
  EXPECT_EQ(serial.COMPort(), 3);
  serial.SetCOMPort(2);  // not listed
  EXPECT_EQ(serial.COMPort(), 3);
  serial.SetCOMPort(0);
  EXPECT_EQ(serial.COMPort(), 0);
  serial.SetCOMPortIndex(1);
  EXPECT_EQ(serial.COMPort(), 3);
  serial.SetCOMPortIndex(2);  // no such entry
  serial.SetCOMPortIndex(-1);
  EXPECT_EQ(serial.COMPort(), 3);
}

TEST_F(SerialSettings, SetSettingsPassesTheSetters) {
  TSerialSettings s;
  serial.GetSettings(s);
  s.COMPort = 7;  // not listed: the old number stays, all else applies
  s.Baudrate = 500000;
  s.BufSizeRec = 100;
  s.XOffLimit = 9000;
  s.XOnLimit = 8000;
  s.EventChar = 23;
  s.TrmTimeOut = -4;
  serial.SetSettings(s);
  EXPECT_EQ(serial.COMPort(), 1);
  EXPECT_EQ(serial.Baudrate(), 512000);
  EXPECT_EQ(serial.BufSizeRec(), 4096);
  EXPECT_EQ(serial.XOffLimit(), 4096);
  EXPECT_EQ(serial.XOnLimit(), 4095);
  EXPECT_EQ(serial.EventChar(), 23);
  EXPECT_EQ(serial.TrmTimeOut(), 0);

  s.Valid = false;
  s.EventChar = 1;
  serial.SetSettings(s);
  EXPECT_EQ(serial.EventChar(), 23);
}

TEST_F(SerialSettings, TextToSettingsStartsFromTheCurrentSettings) {
  serial.SetEventChar(23);
  TSerialSettings s;
  serial.TextToSettings("0", s);
  EXPECT_FALSE(s.Valid);
  EXPECT_EQ(s.EventChar, 23);
  serial.SetSettings(s);  // a rejected text changes nothing
  EXPECT_EQ(serial.EventChar(), 23);

  serial.SetCOMPort(3);
  serial.SetParityBit(TParityBit::even);
  serial.GetSettings(s);
  const std::string text = serial.SettingsToText(s);
  EXPECT_EQ(text,
            "MZT1003009600420000163840001638400000017019000081920000051206302602300000000000000000"
            "0000000114");
}

TEST(LineBlocks, DeviceNames) {
  EXPECT_EQ(OpenDeviceName(1), "COM1");
  EXPECT_EQ(OpenDeviceName(9), "COM9");
  EXPECT_EQ(OpenDeviceName(10), "\\\\.\\COM10");
  EXPECT_EQ(OpenDeviceName(99), "\\\\.\\COM99");
}

TEST(LineBlocks, DcbFromSettings) {
  DCB base;
  base.wReserved = 0x1234;
  base.wReserved1 = 0x4321;
  base.Flags = 0xFFFFFFFF;
  TSerialSettings s;
  s.Baudrate = 4800;
  s.DataBits = TDataBits::db_7;
  s.ParityBit = TParityBit::even;
  s.StopBits = TStopBits::sb_2;
  s.XOnLimit = 70000;  // only the low 16 bits fit
  s.EventChar = 13;
  DCB d = DcbFromSettings(s, base);
  EXPECT_EQ(d.DCBlength, 28u);
  EXPECT_EQ(d.BaudRate, 4800u);
  EXPECT_EQ(d.Flags, DCB_fBinary | DCB_fParity);  // the whole word is replaced
  EXPECT_EQ(d.ByteSize, 7);
  EXPECT_EQ(d.Parity, EVENPARITY);
  EXPECT_EQ(d.StopBits, TWOSTOPBITS);
  EXPECT_EQ(d.XonLim, 70000 & 0xFFFF);
  EXPECT_EQ(d.XoffLim, 8192);
  EXPECT_EQ(d.XonChar, 17);
  EXPECT_EQ(d.XoffChar, 19);
  EXPECT_EQ(d.ErrorChar, '?');
  EXPECT_EQ(d.EofChar, 26);
  EXPECT_EQ(d.EvtChar, 13);
  EXPECT_EQ(d.wReserved, 0x1234);
  EXPECT_EQ(d.wReserved1, 0x4321);

  // Line control: handshake wins over the plain line state.
  const struct {
    bool hsRts, hsDtr, rts, dtr;
    uint32_t rtsControl, dtrControl, extra;
  } lines[] = {
      {false, false, false, false, 0, 0, 0},
      {false, false, true, true, 1, 1, 0},
      {true, false, false, true, 2, 1, DCB_fOutxCtsFlow},
      {false, true, true, false, 1, 2, DCB_fOutxDsrFlow},
      {true, true, true, true, 2, 2, DCB_fOutxCtsFlow | DCB_fOutxDsrFlow},
  };
  for (const auto& l : lines) {
    TSerialSettings t;
    t.HandshakeRtsCts = l.hsRts;
    t.HandshakeDtrDsr = l.hsDtr;
    t.RTSActive = l.rts;
    t.DTRActive = l.dtr;
    d = DcbFromSettings(t, base);
    EXPECT_EQ(d.RtsControl(), l.rtsControl);
    EXPECT_EQ(d.DtrControl(), l.dtrControl);
    EXPECT_EQ(d.Flags & (DCB_fOutxCtsFlow | DCB_fOutxDsrFlow | DCB_fDsrSensitivity), l.extra);
  }

  TSerialSettings f;
  f.ContinueOnXOff = f.HandshakeXOnXOff = f.UseErrorChar = f.EliminateNullChar = f.AbortOnError =
      true;
  EXPECT_EQ(DcbFromSettings(f, base).Flags, DCB_fBinary | DCB_fTXContinueOnXoff | DCB_fOutX |
                                                DCB_fInX | DCB_fErrorChar | DCB_fNull |
                                                DCB_fAbortOnError);
}

TEST(LineBlocks, Timeouts) {
  EXPECT_FALSE(TimeoutsFor(0, 0, 9600).has_value());
  const struct {
    int rec, trm, baud;
    uint32_t ri, rm, rc, wm, wc;
  } cases[] = {
      {100, 0, 9600, 100, 1, 100, 0, 0},  {0, 50, 4800, 0, 0, 0, 2, 50},
      {20, 30, 50, 20, 200, 20, 200, 30}, {5, 5, 115200, 5, 1, 5, 1, 5},
      {7, 0, 10000, 7, 1, 7, 0, 0},
  };
  for (const auto& c : cases) {
    const auto t = TimeoutsFor(c.rec, c.trm, c.baud);
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->ReadIntervalTimeout, c.ri);
    EXPECT_EQ(t->ReadTotalTimeoutMultiplier, c.rm);
    EXPECT_EQ(t->ReadTotalTimeoutConstant, c.rc);
    EXPECT_EQ(t->WriteTotalTimeoutMultiplier, c.wm);
    EXPECT_EQ(t->WriteTotalTimeoutConstant, c.wc) << c.rec << " " << c.trm;
  }
}

}  // namespace
}  // namespace pzam::serial
