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
  if (text.empty() || text == "0" || text.find("%s") == std::string::npos) text = BuiltIn(id);
  const std::size_t at = text.find("%s");
  return text.replace(at, 2, arg);
}

}  // namespace pzam
