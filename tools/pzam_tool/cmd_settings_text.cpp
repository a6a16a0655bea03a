// pzam-tool settings-text: reads a port settings text field by field, or writes one from
// assignments applied to a port component's defaults through its setters.
#include <charconv>
#include <functional>
#include <iostream>
#include <map>

#include "Command.h"
#include "serial/Serial.h"
#include "serial/SettingsText.h"
#include "serial/comm/PlatformCommApi.h"

namespace pzam::tool {
namespace {

using serial::TSerial;
using TSetter = std::function<bool(TSerial&, int64_t)>;

bool ParseInt(const std::string& text, int64_t& value) {
  const char* first = text.data();
  const char* last = first + text.size();
  if (first != last && *first == '+') ++first;
  auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last && first != last;
}

template <typename Fn>
TSetter Integer(Fn set) {
  return [set](TSerial& s, int64_t v) {
    if (v < INT32_MIN || v > INT32_MAX) return false;
    set(s, static_cast<int>(v));
    return true;
  };
}

template <typename Fn>
TSetter Boolean(Fn set) {
  return [set](TSerial& s, int64_t v) {
    if (v != 0 && v != 1) return false;
    set(s, v == 1);
    return true;
  };
}

template <typename Fn>
TSetter Character(Fn set) {
  return [set](TSerial& s, int64_t v) {
    if (v < 0 || v > 255) return false;
    set(s, static_cast<char>(v));
    return true;
  };
}

template <typename E, typename Fn>
TSetter Ordinal(int count, Fn set) {
  return [count, set](TSerial& s, int64_t v) {
    if (v < 0 || v >= count) return false;
    set(s, static_cast<E>(v));
    return true;
  };
}

// The fields of the settings record, each through its property setter.
const std::map<std::string, TSetter>& Setters() {
  using namespace serial;
  static const std::map<std::string, TSetter> setters = {
      {"COMPort", Integer([](TSerial& s, int v) { s.SetCOMPortUnchecked(v); })},
      {"Baudrate", Integer([](TSerial& s, int v) { s.SetBaudrate(v); })},
      {"DataBits", Ordinal<TDataBits>(5, [](TSerial& s, TDataBits v) { s.SetDataBits(v); })},
      {"ParityBit", Ordinal<TParityBit>(5, [](TSerial& s, TParityBit v) { s.SetParityBit(v); })},
      {"StopBits", Ordinal<TStopBits>(3, [](TSerial& s, TStopBits v) { s.SetStopBits(v); })},
      {"BufSizeTrm", Integer([](TSerial& s, int v) { s.SetBufSizeTrm(v); })},
      {"BufSizeRec", Integer([](TSerial& s, int v) { s.SetBufSizeRec(v); })},
      {"HandshakeRtsCts", Boolean([](TSerial& s, bool v) { s.SetHandshakeRtsCts(v); })},
      {"HandshakeDtrDsr", Boolean([](TSerial& s, bool v) { s.SetHandshakeDtrDsr(v); })},
      {"HandshakeXOnXOff", Boolean([](TSerial& s, bool v) { s.SetHandshakeXOnXOff(v); })},
      {"RTSActive", Boolean([](TSerial& s, bool v) { s.SetRTSActive(v); })},
      {"DTRActive", Boolean([](TSerial& s, bool v) { s.SetDTRActive(v); })},
      {"XOnChar", Character([](TSerial& s, char v) { s.SetXOnChar(v); })},
      {"XOffChar", Character([](TSerial& s, char v) { s.SetXOffChar(v); })},
      {"XOffLimit", Integer([](TSerial& s, int v) { s.SetXOffLimit(v); })},
      {"XOnLimit", Integer([](TSerial& s, int v) { s.SetXOnLimit(v); })},
      {"ErrorChar", Character([](TSerial& s, char v) { s.SetErrorChar(v); })},
      {"EofChar", Character([](TSerial& s, char v) { s.SetEofChar(v); })},
      {"EventChar", Character([](TSerial& s, char v) { s.SetEventChar(v); })},
      {"ContinueOnXOff", Boolean([](TSerial& s, bool v) { s.SetContinueOnXOff(v); })},
      {"UseErrorChar", Boolean([](TSerial& s, bool v) { s.SetUseErrorChar(v); })},
      {"EliminateNullChar", Boolean([](TSerial& s, bool v) { s.SetEliminateNullChar(v); })},
      {"AbortOnError", Boolean([](TSerial& s, bool v) { s.SetAbortOnError(v); })},
      {"RecTimeOut", Integer([](TSerial& s, int v) { s.SetRecTimeOut(v); })},
      {"TrmTimeOut", Integer([](TSerial& s, int v) { s.SetTrmTimeOut(v); })},
  };
  return setters;
}

int Decode(TSerial& serial, const TArgs& args) {
  if (args.size() != 2) {
    std::cerr << "usage: pzam-tool settings-text decode TEXT\n";
    return 2;
  }
  serial::TSerialSettings settings;
  serial.TextToSettings(args[1], settings);
  if (!settings.Valid) {
    std::cout << "Valid=0\n";
    return 1;
  }
  for (const auto& [name, value] : serial::SettingsFields(settings))
    std::cout << name << '=' << value << '\n';
  return 0;
}

int Encode(TSerial& serial, const TArgs& args) {
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    const size_t eq = a.find('=');
    const auto it = Setters().find(a.substr(0, eq));
    int64_t value = 0;
    if (eq == std::string::npos || it == Setters().end() || !ParseInt(a.substr(eq + 1), value) ||
        !it->second(serial, value)) {
      std::cerr << "pzam-tool settings-text: cannot apply '" << a << "'\n";
      return 2;
    }
  }
  serial::TSerialSettings settings;
  serial.GetSettings(settings);
  std::cout << serial.SettingsToText(settings) << '\n';
  return 0;
}

int SettingsText(const TArgs& args) {
  // The component as created, without a port list: COMPort 0, nothing probed or opened.
  serial::TCOMManager manager(comm::PlatformCommApi(), 0);
  TSerial serial(comm::PlatformCommApi(), manager);
  if (!args.empty() && args[0] == "decode") return Decode(serial, args);
  if (!args.empty() && args[0] == "encode") return Encode(serial, args);
  std::cerr << "usage: pzam-tool settings-text decode TEXT | encode [Name=value ...]\n";
  return 2;
}

TCommand reg("settings-text", "settings-text decode TEXT | encode [Name=value ...]", &SettingsText);

}  // namespace
}  // namespace pzam::tool
