#include "serial/LineBlocks.h"

#include <algorithm>

namespace pzam::serial {

using namespace pzam::comm;

std::string OpenDeviceName(int port) {
  if (port < 10) return "COM" + std::to_string(port);
  return "\\\\.\\COM" + std::to_string(port);
}

DCB DcbFromSettings(const TSerialSettings& s, DCB dcb) {
  auto bit = [](bool on, uint32_t mask) { return on ? mask : 0u; };
  const uint32_t dtr = s.HandshakeDtrDsr ? 2u : s.DTRActive ? 1u : 0u;
  const uint32_t rts = s.HandshakeRtsCts ? 2u : s.RTSActive ? 1u : 0u;
  dcb.DCBlength = sizeof(DCB);
  dcb.BaudRate = static_cast<uint32_t>(s.Baudrate);
  dcb.Flags = DCB_fBinary | bit(s.ParityBit != TParityBit::none, DCB_fParity) |
              bit(s.HandshakeRtsCts, DCB_fOutxCtsFlow) | bit(s.HandshakeDtrDsr, DCB_fOutxDsrFlow) |
              (dtr << DCB_fDtrControlShift) | bit(s.ContinueOnXOff, DCB_fTXContinueOnXoff) |
              bit(s.HandshakeXOnXOff, DCB_fOutX | DCB_fInX) | bit(s.UseErrorChar, DCB_fErrorChar) |
              bit(s.EliminateNullChar, DCB_fNull) | (rts << DCB_fRtsControlShift) |
              bit(s.AbortOnError, DCB_fAbortOnError);
  dcb.XonLim = static_cast<uint16_t>(s.XOnLimit);
  dcb.XoffLim = static_cast<uint16_t>(s.XOffLimit);
  dcb.ByteSize = static_cast<uint8_t>(static_cast<int>(s.DataBits) + 4);
  dcb.Parity = static_cast<uint8_t>(s.ParityBit);
  dcb.StopBits = static_cast<uint8_t>(s.StopBits);
  dcb.XonChar = s.XOnChar;
  dcb.XoffChar = s.XOffChar;
  dcb.ErrorChar = s.ErrorChar;
  dcb.EofChar = s.EofChar;
  dcb.EvtChar = s.EventChar;
  return dcb;
}

std::optional<COMMTIMEOUTS> TimeoutsFor(int32_t recTimeOut, int32_t trmTimeOut, int32_t baudrate) {
  if (recTimeOut <= 0 && trmTimeOut <= 0) return std::nullopt;
  // Milliseconds per character, at least 1.
  const int32_t perChar = baudrate > 0 ? std::max<int32_t>(1, 10000 / baudrate) : 1;
  COMMTIMEOUTS t;
  if (recTimeOut > 0) {
    t.ReadIntervalTimeout = static_cast<uint32_t>(recTimeOut);
    t.ReadTotalTimeoutMultiplier = static_cast<uint32_t>(perChar);
    t.ReadTotalTimeoutConstant = static_cast<uint32_t>(recTimeOut);
  }
  if (trmTimeOut > 0) {
    t.WriteTotalTimeoutMultiplier = static_cast<uint32_t>(perChar);
    t.WriteTotalTimeoutConstant = static_cast<uint32_t>(trmTimeOut);
  }
  return t;
}

}  // namespace pzam::serial
