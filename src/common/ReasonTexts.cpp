#include "common/ReasonTexts.h"

#include <mutex>

namespace pzam {

namespace {

std::mutex& TextsMutex() {
  static std::mutex mutex;
  return mutex;
}

TReasonTexts& Texts() {
  static TReasonTexts texts;
  return texts;
}

std::string BuiltIn(int id) {
  switch (id) {
    case kReasonNotASerialDevice:
      return "Not a serial device: %s";
    case kReasonPortInUse:
      return "The port is in use by another program: %s";
    case kReasonNoDeviceForPort:
      return "No device is assigned to the port %s";
    case kReasonGroupNeeded:
      return "the user must be a member of the group %s";
    case kReasonNoDtrDsr:
      return "DTR/DSR handshake is not supported on this system";
    case kReasonNoPortChosen:
      return "no serial port is chosen";
    case kReasonBaudZero:
      return "Baud rate 0";
    case kReasonDataBits:
      return "Unsupported number of data bits";
    case kReasonParity:
      return "Unknown parity";
    case kReasonStopBits:
      return "Unknown number of stop bits";
    case kReasonOneAndHalfStopBits:
      return "1.5 stop bits need 5 data bits";
    case kReasonTwoStopBitsWithFive:
      return "2 stop bits with 5 data bits";
    case kReasonXonIsXoff:
      return "XON and XOFF characters are equal";
    case kReasonBaudNotSupported:
      return "The device does not support this baud rate";
    default:
      return "%s";
  }
}

}  // namespace

void SetReasonTexts(TReasonTexts texts) {
  std::lock_guard lock(TextsMutex());
  Texts() = std::move(texts);
}

std::string ReasonText(int id, const std::string& arg) {
  std::string text;
  {
    // Ports are opened on the window thread and on event threads.
    std::lock_guard lock(TextsMutex());
    if (Texts()) text = Texts()(id);
  }
  // A language text that lost the mark of a text that has one would lose the argument too.
  const std::string builtIn = BuiltIn(id);
  const bool marked = builtIn.find("%s") != std::string::npos;
  if (text.empty() || text == "0" || (marked && text.find("%s") == std::string::npos))
    text = builtIn;
  const std::size_t at = text.find("%s");
  return at == std::string::npos ? text : text.replace(at, 2, arg);
}

}  // namespace pzam
