// The line parameters each operating mode and cable type put on the port.
#include <gtest/gtest.h>

#include "serial/LineParameters.h"
#include "serial/Serial.h"
#include "support/FakeCommApi.h"

namespace pzam::serial {
namespace {

struct TLine {
  int EventChar, Baudrate;
  TDataBits DataBits;
  TParityBit Parity;
  TStopBits StopBits;
  bool Dtr, Rts;
  bool operator==(const TLine&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TLine& l) {
  return os << l.EventChar << ' ' << l.Baudrate << ' ' << int(l.DataBits) << ' ' << int(l.Parity)
            << ' ' << int(l.StopBits) << " dtr " << l.Dtr << " rts " << l.Rts;
}

TLine LineOf(const TSerial& s) {
  return {static_cast<unsigned char>(s.EventChar()),
          s.Baudrate(),
          s.DataBits(),
          s.ParityBit(),
          s.StopBits(),
          s.DTRActive(),
          s.RTSActive()};
}

TEST(LineParameters, PerOperatingModeAndCableType) {
  // A port set apart from every mode: 19200 baud, 6 data bits, odd parity, 1.5 stop bits.
  const TLine other{'#', 19200, TDataBits::db_6, TParityBit::odd, TStopBits::sb_15, false, false};
  const TLine sylvac{13, 4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2, true, false};
  const TLine gauge{23, 9600, TDataBits::db_8, TParityBit::none, TStopBits::sb_1, false, false};
  const struct {
    int mode, cable;
    bool rtsBefore;
    TLine expected;
  } cases[] = {
      {2, 1, false, {13, 4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2, true, true}},
      {2, 0, true, sylvac},
      {3, 0, true, sylvac},
      {3, 1, false, {13, 4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2, true, true}},
      // No cable type: RTS as it was.
      {3, -1, true, {13, 4800, TDataBits::db_7, TParityBit::even, TStopBits::sb_2, true, true}},
      {0, 0, false, gauge},
      // Mode 0 leaves RTS alone, whatever the cable type.
      {0, 0, true, {23, 9600, TDataBits::db_8, TParityBit::none, TStopBits::sb_1, false, true}},
      {0, 1, false, gauge},
      // Mode 1, no mode and unknown modes change nothing.
      {1, 0, false, other},
      {-1, 1, false, other},
      {4, 1, false, other},
  };
  for (const auto& c : cases) {
    comm::TFakeCommApi api;
    TCOMManager manager(api, 4);
    TSerial serial(api, manager);
    serial.SetEventChar(other.EventChar);
    serial.SetBaudrate(other.Baudrate);
    serial.SetDataBits(other.DataBits);
    serial.SetParityBit(other.Parity);
    serial.SetStopBits(other.StopBits);
    serial.SetDTRActive(other.Dtr);
    serial.SetRTSActive(c.rtsBefore);
    serial.SetXOnChar(5);
    ApplyLineParameters(serial, c.mode, c.cable);
    EXPECT_EQ(LineOf(serial), c.expected) << "mode " << c.mode << " cable " << c.cable;
    EXPECT_EQ(serial.XOnChar(), 5);  // settings outside the table stay
  }
}

}  // namespace
}  // namespace pzam::serial
