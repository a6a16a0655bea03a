#include "serial/comm/TermiosMap.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdlib>

#include "common/ReasonTexts.h"
#include "serial/comm/CommErrors.h"
#include "serial/comm/LineSpeed.h"

namespace pzam::comm {

namespace {

uint32_t Invalid(int reason) {
  SetCommError(ERROR_INVALID_PARAMETER, ReasonText(reason));
  return ERROR_INVALID_PARAMETER;
}

// Raises or drops one modem line; devices without modem lines (pseudo-terminals) are left.
void SetModemLine(int fd, int line, bool on) {
  (void)ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line);
}

// Sets tio; a pseudo-terminal keeps 8 data bits without parity whatever is asked (the C library
// then reports EINVAL although the rest was applied), which is accepted for it.
int SetTermios(int fd, const termios& tio) {
  if (tcsetattr(fd, TCSANOW, &tio) == 0) return 0;
  int err = errno;
  return err == EINVAL && IsPseudoTerminal(fd) ? 0 : err;
}

}  // namespace

bool IsPseudoTerminal(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) return false;
  unsigned m = major(st.st_rdev);
  return m >= 136 && m <= 143;  // Unix98 pty slaves
}

void MakeRaw(termios& tio) {
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_cflag &= ~HUPCL;
  tio.c_iflag |= IGNBRK;
  tio.c_cc[VMIN] = 1;
  tio.c_cc[VTIME] = 0;
}

speed_t StandardSpeed(uint32_t baud) {
  struct Entry {
    uint32_t rate;
    speed_t code;
  };
  static constexpr Entry kTable[] = {
      {50, B50},           {75, B75},           {110, B110},         {134, B134},
      {150, B150},         {200, B200},         {300, B300},         {600, B600},
      {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
      {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
      {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
      {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
      {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
      {3500000, B3500000}, {4000000, B4000000}};
  for (const auto& e : kTable)
    if (e.rate == baud) return e.code;
  return 0;
}

uint32_t DcbToTermios(const DCB& dcb, termios& tio) {
  if (dcb.BaudRate == 0) return Invalid(kReasonBaudZero);
  tcflag_t size = 0;
  switch (dcb.ByteSize) {
    case 5:
      size = CS5;
      break;
    case 6:
      size = CS6;
      break;
    case 7:
      size = CS7;
      break;
    case 8:
      size = CS8;
      break;
    default:
      return Invalid(kReasonDataBits);
  }
  if (dcb.Parity > SPACEPARITY) return Invalid(kReasonParity);
  if (dcb.StopBits > TWOSTOPBITS) return Invalid(kReasonStopBits);
  // 1.5 stop bits exist only with 5 data bits, 2 stop bits only with 6 to 8 (as on Windows).
  if (dcb.StopBits == ONE5STOPBITS && dcb.ByteSize != 5) return Invalid(kReasonOneAndHalfStopBits);
  if (dcb.StopBits == TWOSTOPBITS && dcb.ByteSize == 5) return Invalid(kReasonTwoStopBitsWithFive);
  bool xonxoff = (dcb.Flags & (DCB_fOutX | DCB_fInX)) != 0;
  if (xonxoff && dcb.XonChar == dcb.XoffChar) return Invalid(kReasonXonIsXoff);
  if ((dcb.Flags & DCB_fOutxDsrFlow) || dcb.DtrControl() == 2) {
    SetCommError(ERROR_NOT_SUPPORTED, ReasonText(kReasonNoDtrDsr));
    return ERROR_NOT_SUPPORTED;
  }

  MakeRaw(tio);
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
  tio.c_cflag |= size;
  switch (dcb.Parity) {
    case ODDPARITY:
      tio.c_cflag |= PARENB | PARODD;
      break;
    case EVENPARITY:
      tio.c_cflag |= PARENB;
      break;
    case MARKPARITY:
      tio.c_cflag |= PARENB | PARODD | CMSPAR;
      break;
    case SPACEPARITY:
      tio.c_cflag |= PARENB | CMSPAR;
      break;
    default:
      break;
  }
  // With 5 data bits the UART sends 1.5 stop bits for CSTOPB.
  if (dcb.StopBits != ONESTOPBIT) tio.c_cflag |= CSTOPB;

  tio.c_iflag &= ~(INPCK | PARMRK | IGNPAR | IXON | IXOFF | IXANY);
  if ((dcb.Flags & DCB_fParity) && dcb.Parity != NOPARITY) {
    // Bytes with parity or framing errors and breaks arrive marked (0xFF 0x00 x, 0xFF 0x00 0x00,
    // a real 0xFF doubled); the receiver turns them into error flags and the error character.
    tio.c_iflag |= INPCK | PARMRK;
    tio.c_iflag &= ~IGNBRK;
  }
  if ((dcb.Flags & DCB_fOutxCtsFlow) || dcb.RtsControl() == 2) tio.c_cflag |= CRTSCTS;
  if (dcb.Flags & DCB_fOutX) tio.c_iflag |= IXON;
  if (dcb.Flags & DCB_fInX) tio.c_iflag |= IXOFF;
  tio.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
  tio.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
  return ERROR_SUCCESS;
}

uint32_t ApplyDcb(int fd, const DCB& dcb) {
  termios old{};
  if (tcgetattr(fd, &old) != 0) {
    SetCommErrno(errno);
    return LastCommError();
  }
  termios tio = old;
  if (uint32_t rc = DcbToTermios(dcb, tio); rc != ERROR_SUCCESS) return rc;
  speed_t code = StandardSpeed(dcb.BaudRate);
  if (code != 0) cfsetspeed(&tio, code);
  if (int err = SetTermios(fd, tio); err != 0) {
    SetCommErrno(err);
    return LastCommError();
  }
  if (code == 0) {
    if (int err = SetLineSpeed(fd, dcb.BaudRate); err != 0) {
      (void)tcsetattr(fd, TCSANOW, &old);
      SetCommErrno(err == ENOTTY ? EINVAL : err);
      return LastCommError();
    }
  }
  uint32_t actual = GetLineSpeed(fd);
  if (actual != 0 &&
      std::llabs(static_cast<long long>(actual) - dcb.BaudRate) * 100 > 3LL * dcb.BaudRate) {
    (void)tcsetattr(fd, TCSANOW, &old);
    return Invalid(kReasonBaudNotSupported);
  }
  if (dcb.DtrControl() != 2) SetModemLine(fd, TIOCM_DTR, dcb.DtrControl() == 1);
  if (dcb.RtsControl() != 2) SetModemLine(fd, TIOCM_RTS, dcb.RtsControl() != 0);
  return ERROR_SUCCESS;
}

}  // namespace pzam::comm
