#include "serial/comm/WinShapes.h"

// Our numbers, taken before windows.h turns the same names into its macros.
namespace {
#define PZAM_OURS(name) constexpr auto Ours_##name = pzam::comm::name;
PZAM_OURS(ERROR_SUCCESS)
PZAM_OURS(ERROR_FILE_NOT_FOUND)
PZAM_OURS(ERROR_ACCESS_DENIED)
PZAM_OURS(ERROR_INVALID_HANDLE)
PZAM_OURS(ERROR_GEN_FAILURE)
PZAM_OURS(ERROR_SHARING_VIOLATION)
PZAM_OURS(ERROR_NOT_SUPPORTED)
PZAM_OURS(ERROR_INVALID_PARAMETER)
PZAM_OURS(ERROR_INSUFFICIENT_BUFFER)
PZAM_OURS(ERROR_OPERATION_ABORTED)
PZAM_OURS(ERROR_IO_PENDING)
PZAM_OURS(ERROR_DEVICE_REMOVED)
PZAM_OURS(GENERIC_READ)
PZAM_OURS(GENERIC_WRITE)
PZAM_OURS(OPEN_EXISTING)
PZAM_OURS(FILE_ATTRIBUTE_NORMAL)
PZAM_OURS(FILE_FLAG_OVERLAPPED)
PZAM_OURS(EV_RXCHAR)
PZAM_OURS(EV_RXFLAG)
PZAM_OURS(EV_TXEMPTY)
PZAM_OURS(EV_CTS)
PZAM_OURS(EV_DSR)
PZAM_OURS(EV_RLSD)
PZAM_OURS(EV_BREAK)
PZAM_OURS(EV_ERR)
PZAM_OURS(EV_RING)
PZAM_OURS(CE_RXOVER)
PZAM_OURS(CE_OVERRUN)
PZAM_OURS(CE_RXPARITY)
PZAM_OURS(CE_FRAME)
PZAM_OURS(CE_BREAK)
PZAM_OURS(MS_CTS_ON)
PZAM_OURS(MS_DSR_ON)
PZAM_OURS(MS_RING_ON)
PZAM_OURS(MS_RLSD_ON)
PZAM_OURS(SETRTS)
PZAM_OURS(CLRRTS)
PZAM_OURS(SETDTR)
PZAM_OURS(CLRDTR)
PZAM_OURS(SETBREAK)
PZAM_OURS(CLRBREAK)
PZAM_OURS(NOPARITY)
PZAM_OURS(ODDPARITY)
PZAM_OURS(EVENPARITY)
PZAM_OURS(MARKPARITY)
PZAM_OURS(SPACEPARITY)
PZAM_OURS(ONESTOPBIT)
PZAM_OURS(ONE5STOPBITS)
PZAM_OURS(TWOSTOPBITS)
#undef PZAM_OURS
}  // namespace

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

// The interface passes these numbers through unchanged: each must be the system's own.
#define PZAM_SAME(name) static_assert(Ours_##name == name, #name " differs from windows.h");
PZAM_SAME(ERROR_SUCCESS)
PZAM_SAME(ERROR_FILE_NOT_FOUND)
PZAM_SAME(ERROR_ACCESS_DENIED)
PZAM_SAME(ERROR_INVALID_HANDLE)
PZAM_SAME(ERROR_GEN_FAILURE)
PZAM_SAME(ERROR_SHARING_VIOLATION)
PZAM_SAME(ERROR_NOT_SUPPORTED)
PZAM_SAME(ERROR_INVALID_PARAMETER)
PZAM_SAME(ERROR_INSUFFICIENT_BUFFER)
PZAM_SAME(ERROR_OPERATION_ABORTED)
PZAM_SAME(ERROR_IO_PENDING)
PZAM_SAME(ERROR_DEVICE_REMOVED)
PZAM_SAME(GENERIC_READ)
PZAM_SAME(GENERIC_WRITE)
PZAM_SAME(OPEN_EXISTING)
PZAM_SAME(FILE_ATTRIBUTE_NORMAL)
PZAM_SAME(FILE_FLAG_OVERLAPPED)
PZAM_SAME(EV_RXCHAR)
PZAM_SAME(EV_RXFLAG)
PZAM_SAME(EV_TXEMPTY)
PZAM_SAME(EV_CTS)
PZAM_SAME(EV_DSR)
PZAM_SAME(EV_RLSD)
PZAM_SAME(EV_BREAK)
PZAM_SAME(EV_ERR)
PZAM_SAME(EV_RING)
PZAM_SAME(CE_RXOVER)
PZAM_SAME(CE_OVERRUN)
PZAM_SAME(CE_RXPARITY)
PZAM_SAME(CE_FRAME)
PZAM_SAME(CE_BREAK)
PZAM_SAME(MS_CTS_ON)
PZAM_SAME(MS_DSR_ON)
PZAM_SAME(MS_RING_ON)
PZAM_SAME(MS_RLSD_ON)
PZAM_SAME(SETRTS)
PZAM_SAME(CLRRTS)
PZAM_SAME(SETDTR)
PZAM_SAME(CLRDTR)
PZAM_SAME(SETBREAK)
PZAM_SAME(CLRBREAK)
PZAM_SAME(NOPARITY)
PZAM_SAME(ODDPARITY)
PZAM_SAME(EVENPARITY)
PZAM_SAME(MARKPARITY)
PZAM_SAME(SPACEPARITY)
PZAM_SAME(ONESTOPBIT)
PZAM_SAME(ONE5STOPBITS)
PZAM_SAME(TWOSTOPBITS)
#undef PZAM_SAME
static_assert(sizeof(::DCB) == sizeof(pzam::comm::DCB));
static_assert(sizeof(::COMMCONFIG) == sizeof(pzam::comm::COMMCONFIG));

namespace pzam::comm {

namespace {

bool Has(uint32_t flags, uint32_t bit) {
  return (flags & bit) != 0;
}

uint32_t Bit(bool on, uint32_t bit) {
  return on ? bit : 0;
}

}  // namespace

void ToSystem(const DCB& dcb, ::DCB& real) {
  real = ::DCB{};
  real.DCBlength = sizeof(::DCB);
  real.BaudRate = dcb.BaudRate;
  real.fBinary = Has(dcb.Flags, DCB_fBinary);
  real.fParity = Has(dcb.Flags, DCB_fParity);
  real.fOutxCtsFlow = Has(dcb.Flags, DCB_fOutxCtsFlow);
  real.fOutxDsrFlow = Has(dcb.Flags, DCB_fOutxDsrFlow);
  real.fDtrControl = dcb.DtrControl();
  real.fDsrSensitivity = Has(dcb.Flags, DCB_fDsrSensitivity);
  real.fTXContinueOnXoff = Has(dcb.Flags, DCB_fTXContinueOnXoff);
  real.fOutX = Has(dcb.Flags, DCB_fOutX);
  real.fInX = Has(dcb.Flags, DCB_fInX);
  real.fErrorChar = Has(dcb.Flags, DCB_fErrorChar);
  real.fNull = Has(dcb.Flags, DCB_fNull);
  real.fRtsControl = dcb.RtsControl();
  real.fAbortOnError = Has(dcb.Flags, DCB_fAbortOnError);
  real.XonLim = dcb.XonLim;
  real.XoffLim = dcb.XoffLim;
  real.ByteSize = dcb.ByteSize;
  real.Parity = dcb.Parity;
  real.StopBits = dcb.StopBits;
  real.XonChar = dcb.XonChar;
  real.XoffChar = dcb.XoffChar;
  real.ErrorChar = dcb.ErrorChar;
  real.EofChar = dcb.EofChar;
  real.EvtChar = dcb.EvtChar;
}

DCB FromSystem(const ::DCB& real) {
  DCB dcb;
  dcb.BaudRate = real.BaudRate;
  dcb.Flags =
      Bit(real.fBinary, DCB_fBinary) | Bit(real.fParity, DCB_fParity) |
      Bit(real.fOutxCtsFlow, DCB_fOutxCtsFlow) | Bit(real.fOutxDsrFlow, DCB_fOutxDsrFlow) |
      (real.fDtrControl << DCB_fDtrControlShift) | Bit(real.fDsrSensitivity, DCB_fDsrSensitivity) |
      Bit(real.fTXContinueOnXoff, DCB_fTXContinueOnXoff) | Bit(real.fOutX, DCB_fOutX) |
      Bit(real.fInX, DCB_fInX) | Bit(real.fErrorChar, DCB_fErrorChar) | Bit(real.fNull, DCB_fNull) |
      (real.fRtsControl << DCB_fRtsControlShift) | Bit(real.fAbortOnError, DCB_fAbortOnError);
  dcb.XonLim = real.XonLim;
  dcb.XoffLim = real.XoffLim;
  dcb.ByteSize = real.ByteSize;
  dcb.Parity = real.Parity;
  dcb.StopBits = real.StopBits;
  dcb.XonChar = real.XonChar;
  dcb.XoffChar = real.XoffChar;
  dcb.ErrorChar = real.ErrorChar;
  dcb.EofChar = real.EofChar;
  dcb.EvtChar = real.EvtChar;
  return dcb;
}

void ToSystem(const COMMTIMEOUTS& timeouts, ::COMMTIMEOUTS& real) {
  real.ReadIntervalTimeout = timeouts.ReadIntervalTimeout;
  real.ReadTotalTimeoutMultiplier = timeouts.ReadTotalTimeoutMultiplier;
  real.ReadTotalTimeoutConstant = timeouts.ReadTotalTimeoutConstant;
  real.WriteTotalTimeoutMultiplier = timeouts.WriteTotalTimeoutMultiplier;
  real.WriteTotalTimeoutConstant = timeouts.WriteTotalTimeoutConstant;
}

COMSTAT FromSystem(const ::COMSTAT& real, uint32_t inQueue) {
  COMSTAT stat;
  stat.Flags = Bit(real.fCtsHold, 1u << 0) | Bit(real.fDsrHold, 1u << 1) |
               Bit(real.fRlsdHold, 1u << 2) | Bit(real.fXoffHold, 1u << 3) |
               Bit(real.fXoffSent, 1u << 4) | Bit(real.fEof, 1u << 5) | Bit(real.fTxim, 1u << 6);
  stat.cbInQue = real.cbInQue + inQueue;
  stat.cbOutQue = real.cbOutQue;
  return stat;
}

}  // namespace pzam::comm
