// Types of the serial port component: line setting enumerations, the event thread's priority and
// the settings record that travels between a port component and its settings text.
#pragma once

#include <cstdint>

namespace pzam::serial {

enum class TDataBits : uint8_t { db_4, db_5, db_6, db_7, db_8 };
// Ordinals equal the DCB parity codes (NOPARITY .. SPACEPARITY).
enum class TParityBit : uint8_t { none, odd, even, mark, space };
// Ordinals equal the DCB stop-bit codes (ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS).
enum class TStopBits : uint8_t { sb_1, sb_15, sb_2 };
enum class TThreadPriority : uint8_t {
  tpIdle,
  tpLowest,
  tpLower,
  tpNormal,
  tpHigher,
  tpHighest,
  tpTimeCritical
};

// Every stored setting of a TSerial, in the order of its settings text.
struct TSerialSettings {
  bool Valid = false;
  int32_t COMPort = 0;
  int32_t Baudrate = 9600;
  TDataBits DataBits = TDataBits::db_8;
  TParityBit ParityBit = TParityBit::none;
  TStopBits StopBits = TStopBits::sb_1;
  int32_t BufSizeTrm = 16384;
  int32_t BufSizeRec = 16384;
  bool HandshakeRtsCts = false;
  bool HandshakeDtrDsr = false;
  bool HandshakeXOnXOff = false;
  bool RTSActive = false;
  bool DTRActive = false;
  char XOnChar = 17;
  char XOffChar = 19;
  int32_t XOffLimit = 8192;
  int32_t XOnLimit = 512;
  char ErrorChar = '?';
  char EofChar = 26;
  char EventChar = 13;
  bool ContinueOnXOff = false;
  bool UseErrorChar = false;
  bool EliminateNullChar = false;
  bool AbortOnError = false;
  int32_t RecTimeOut = 0;
  int32_t TrmTimeOut = 0;

  bool operator==(const TSerialSettings&) const = default;
};

}  // namespace pzam::serial
