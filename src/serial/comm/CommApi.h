// The platform's serial communication calls, as one interface. The serial component calls only
// this; the Win32 backend (kernel32) and the POSIX backend (termios, emulating a Windows serial
// driver) implement it, and the tests' recording fake stands in for it. Calls report by result,
// never by exception; the reason of the last failure on the calling thread is GetLastError().
#pragma once

#include <cstdint>
#include <string>

namespace pzam::comm {

using HANDLE = std::intptr_t;
inline constexpr HANDLE INVALID_HANDLE_VALUE = -1;

// Error numbers, as the Windows API reports them.
inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr uint32_t ERROR_SHARING_VIOLATION = 32;
inline constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_OPERATION_ABORTED = 995;
inline constexpr uint32_t ERROR_IO_PENDING = 997;
inline constexpr uint32_t ERROR_DEVICE_REMOVED = 1617;

// CreateFile arguments.
inline constexpr uint32_t GENERIC_READ = 0x80000000u;
inline constexpr uint32_t GENERIC_WRITE = 0x40000000u;
inline constexpr uint32_t OPEN_EXISTING = 3;
inline constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr uint32_t FILE_FLAG_OVERLAPPED = 0x40000000u;

// Event mask bits (SetCommMask, WaitCommEvent).
inline constexpr uint32_t EV_RXCHAR = 0x0001;
inline constexpr uint32_t EV_RXFLAG = 0x0002;
inline constexpr uint32_t EV_TXEMPTY = 0x0004;
inline constexpr uint32_t EV_CTS = 0x0008;
inline constexpr uint32_t EV_DSR = 0x0010;
inline constexpr uint32_t EV_RLSD = 0x0020;
inline constexpr uint32_t EV_BREAK = 0x0040;
inline constexpr uint32_t EV_ERR = 0x0080;
inline constexpr uint32_t EV_RING = 0x0100;

// Line error flags (ClearCommError).
inline constexpr uint32_t CE_RXOVER = 0x0001;
inline constexpr uint32_t CE_OVERRUN = 0x0002;
inline constexpr uint32_t CE_RXPARITY = 0x0004;
inline constexpr uint32_t CE_FRAME = 0x0008;
inline constexpr uint32_t CE_BREAK = 0x0010;

// Modem status bits (GetCommModemStatus).
inline constexpr uint32_t MS_CTS_ON = 0x0010;
inline constexpr uint32_t MS_DSR_ON = 0x0020;
inline constexpr uint32_t MS_RING_ON = 0x0040;
inline constexpr uint32_t MS_RLSD_ON = 0x0080;

// EscapeCommFunction codes.
inline constexpr uint32_t SETRTS = 3;
inline constexpr uint32_t CLRRTS = 4;
inline constexpr uint32_t SETDTR = 5;
inline constexpr uint32_t CLRDTR = 6;
inline constexpr uint32_t SETBREAK = 8;
inline constexpr uint32_t CLRBREAK = 9;

// DCB parity and stop-bit codes.
inline constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3,
                         SPACEPARITY = 4;
inline constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// DCB flag word bits.
inline constexpr uint32_t DCB_fBinary = 1u << 0;
inline constexpr uint32_t DCB_fParity = 1u << 1;
inline constexpr uint32_t DCB_fOutxCtsFlow = 1u << 2;
inline constexpr uint32_t DCB_fOutxDsrFlow = 1u << 3;
inline constexpr uint32_t DCB_fDtrControlShift = 4;  // 2 bits: 0 disable, 1 enable, 2 handshake
inline constexpr uint32_t DCB_fDsrSensitivity = 1u << 6;
inline constexpr uint32_t DCB_fTXContinueOnXoff = 1u << 7;
inline constexpr uint32_t DCB_fOutX = 1u << 8;
inline constexpr uint32_t DCB_fInX = 1u << 9;
inline constexpr uint32_t DCB_fErrorChar = 1u << 10;
inline constexpr uint32_t DCB_fNull = 1u << 11;
inline constexpr uint32_t DCB_fRtsControlShift = 12;  // 2 bits: 0 disable, 1 enable, 2 handshake
inline constexpr uint32_t DCB_fAbortOnError = 1u << 14;

// The device control block, laid out as the platform's 28-byte structure.
struct DCB {
  uint32_t DCBlength = 28;
  uint32_t BaudRate = 0;
  uint32_t Flags = 0;
  uint16_t wReserved = 0;
  uint16_t XonLim = 0;
  uint16_t XoffLim = 0;
  uint8_t ByteSize = 0;
  uint8_t Parity = 0;
  uint8_t StopBits = 0;
  char XonChar = 0;
  char XoffChar = 0;
  char ErrorChar = 0;
  char EofChar = 0;
  char EvtChar = 0;
  uint16_t wReserved1 = 0;

  uint32_t DtrControl() const { return (Flags >> DCB_fDtrControlShift) & 3u; }
  uint32_t RtsControl() const { return (Flags >> DCB_fRtsControlShift) & 3u; }
};
static_assert(sizeof(DCB) == 28, "DCB must have the platform's 28-byte layout");

struct COMMTIMEOUTS {
  uint32_t ReadIntervalTimeout = 0;
  uint32_t ReadTotalTimeoutMultiplier = 0;
  uint32_t ReadTotalTimeoutConstant = 0;
  uint32_t WriteTotalTimeoutMultiplier = 0;
  uint32_t WriteTotalTimeoutConstant = 0;
};

struct COMSTAT {
  uint32_t Flags = 0;  // fCtsHold, fDsrHold, ... (not used by the component)
  uint32_t cbInQue = 0;
  uint32_t cbOutQue = 0;
};

// The transfer record of overlapped I/O. Both backends have ended a transfer when its call
// returns and keep the count here for GetOverlappedResult.
struct OVERLAPPED {
  uintptr_t Internal = 0;
  uintptr_t InternalHigh = 0;
  uint32_t Offset = 0;
  uint32_t OffsetHigh = 0;
  HANDLE hEvent = 0;
};

// The default configuration of a port (the probe passes a 52-byte buffer).
struct COMMCONFIG {
  uint32_t dwSize = 52;
  uint16_t wVersion = 1;
  uint16_t wReserved = 0;
  DCB dcb;
  uint32_t dwProviderSubType = 0;
  uint32_t dwProviderOffset = 0;
  uint32_t dwProviderSize = 0;
  uint16_t wcProviderData[2] = {0, 0};
};
static_assert(sizeof(COMMCONFIG) == 52, "COMMCONFIG must be 52 bytes");

class ICommApi {
 public:
  virtual ~ICommApi() = default;

  // name: "COM3" or "\\.\COM12" (backends resolve it to their device).
  virtual HANDLE CreateFile(const std::string& name, uint32_t access, uint32_t shareMode,
                            uint32_t creation, uint32_t flags) = 0;
  virtual bool CloseHandle(HANDLE h) = 0;
  virtual bool SetupComm(HANDLE h, uint32_t inQueue, uint32_t outQueue) = 0;
  // Fills dcb from a mode text such as "baud=9600 parity=N data=8 stop=1".
  virtual bool BuildCommDCB(const std::string& def, DCB& dcb) = 0;
  virtual bool SetCommState(HANDLE h, const DCB& dcb) = 0;
  virtual bool SetCommTimeouts(HANDLE h, const COMMTIMEOUTS& timeouts) = 0;
  virtual bool SetCommMask(HANDLE h, uint32_t mask) = 0;
  // Blocks until an event of the mask happens (or the mask is changed, or the handle closed).
  virtual bool WaitCommEvent(HANDLE h, uint32_t& eventMask, OVERLAPPED* ov) = 0;
  virtual bool ClearCommError(HANDLE h, uint32_t& errors, COMSTAT* stat) = 0;
  virtual bool ReadFile(HANDLE h, void* buffer, uint32_t count, uint32_t& read, OVERLAPPED* ov) = 0;
  virtual bool WriteFile(HANDLE h, const void* buffer, uint32_t count, uint32_t& written,
                         OVERLAPPED* ov) = 0;
  virtual bool GetOverlappedResult(HANDLE h, OVERLAPPED* ov, uint32_t& transferred, bool wait) = 0;
  virtual bool GetCommModemStatus(HANDLE h, uint32_t& status) = 0;
  virtual bool EscapeCommFunction(HANDLE h, uint32_t function) = 0;
  // The presence probe: size is the buffer size on entry.
  virtual bool GetDefaultCommConfig(const std::string& name, COMMCONFIG* config,
                                    uint32_t& size) = 0;

  // Reason of the last failed call on the calling thread (an ERROR_ number).
  virtual uint32_t GetLastError() const = 0;
  // The system's words for the last failure on the calling thread ("Permission denied ...").
  virtual std::string LastErrorText() const = 0;
};

}  // namespace pzam::comm
