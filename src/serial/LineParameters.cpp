#include "serial/LineParameters.h"

#include "serial/Serial.h"

namespace pzam::serial {

void ApplyLineParameters(TSerial& serial, int operatingMode, int cableType) {
  // Assigned in a fixed order: event character, baud rate, data bits, parity, stop bits, DTR, RTS.
  if (operatingMode == 0) {
    serial.SetEventChar(23);
    serial.SetBaudrate(9600);
    serial.SetDataBits(TDataBits::db_8);
    serial.SetParityBit(TParityBit::none);
    serial.SetStopBits(TStopBits::sb_1);
    serial.SetDTRActive(false);
  } else if (operatingMode == 2 || operatingMode == 3) {
    serial.SetEventChar(13);
    serial.SetBaudrate(4800);
    serial.SetDataBits(TDataBits::db_7);
    serial.SetParityBit(TParityBit::even);
    serial.SetStopBits(TStopBits::sb_2);
    serial.SetDTRActive(true);
    if (cableType == 0 || cableType == 1) serial.SetRTSActive(cableType == 1);
  }
}

}  // namespace pzam::serial
