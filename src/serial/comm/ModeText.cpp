#include "serial/comm/ModeText.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>
#include <vector>

namespace pzam::comm {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool ParseUnsigned(const std::string& s, uint32_t& value) {
  if (s.empty()) return false;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size();
}

bool ParseBaud(const std::string& s, uint32_t& baud) {
  uint32_t v = 0;
  if (!ParseUnsigned(s, v) || v == 0) return false;
  // The mode command's two-digit abbreviations.
  switch (v) {
    case 11:
      v = 110;
      break;
    case 15:
      v = 150;
      break;
    case 30:
      v = 300;
      break;
    case 60:
      v = 600;
      break;
    case 12:
      v = 1200;
      break;
    case 24:
      v = 2400;
      break;
    case 48:
      v = 4800;
      break;
    case 96:
      v = 9600;
      break;
    case 19:
      v = 19200;
      break;
    default:
      break;
  }
  baud = v;
  return true;
}

bool ParseParity(const std::string& s, uint8_t& parity) {
  static const std::string kLetters = "noems";
  if (s.size() != 1) return false;
  auto pos = kLetters.find(s[0]);
  if (pos == std::string::npos) return false;
  parity = static_cast<uint8_t>(pos);  // NOPARITY, ODDPARITY, EVENPARITY, MARKPARITY, SPACEPARITY
  return true;
}

bool ParseData(const std::string& s, uint8_t& size) {
  uint32_t v = 0;
  if (!ParseUnsigned(s, v) || v < 4 || v > 8) return false;
  size = static_cast<uint8_t>(v);
  return true;
}

bool ParseStop(const std::string& s, uint8_t& stop) {
  if (s == "1")
    stop = ONESTOPBIT;
  else if (s == "1.5")
    stop = ONE5STOPBITS;
  else if (s == "2")
    stop = TWOSTOPBITS;
  else
    return false;
  return true;
}

bool ParseOnOff(const std::string& s, bool& on) {
  if (s == "on")
    on = true;
  else if (s == "off")
    on = false;
  else
    return false;
  return true;
}

void SetFlag(DCB& dcb, uint32_t bit, bool on) {
  if (on)
    dcb.Flags |= bit;
  else
    dcb.Flags &= ~bit;
}

void SetLineControl(DCB& dcb, uint32_t shift, uint32_t value) {
  dcb.Flags = (dcb.Flags & ~(3u << shift)) | (value << shift);
}

bool ParseLineControl(const std::string& s, bool allowToggle, uint32_t& value) {
  if (s == "off")
    value = 0;
  else if (s == "on")
    value = 1;
  else if (s == "hs")
    value = 2;
  else if (allowToggle && s == "tg")
    value = 3;
  else
    return false;
  return true;
}

void ResetFlowControl(DCB& dcb) {
  dcb.Flags |= DCB_fBinary;
  dcb.Flags &= ~(DCB_fOutxCtsFlow | DCB_fOutxDsrFlow | DCB_fDsrSensitivity | DCB_fOutX | DCB_fInX);
  SetLineControl(dcb, DCB_fDtrControlShift, 1);
  SetLineControl(dcb, DCB_fRtsControlShift, 1);
}

bool ParseKeywordForm(const std::string& text, DCB& dcb) {
  std::istringstream in(text);
  std::string item;
  bool stopGiven = false, any = false;
  while (in >> item) {
    auto eq = item.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    std::string key = item.substr(0, eq), value = item.substr(eq + 1);
    bool on = false;
    uint32_t control = 0;
    any = true;
    if (key == "baud") {
      if (!ParseBaud(value, dcb.BaudRate)) return false;
    } else if (key == "parity") {
      if (!ParseParity(value, dcb.Parity)) return false;
    } else if (key == "data") {
      if (!ParseData(value, dcb.ByteSize)) return false;
    } else if (key == "stop") {
      if (!ParseStop(value, dcb.StopBits)) return false;
      stopGiven = true;
    } else if (key == "xon") {
      if (!ParseOnOff(value, on)) return false;
      SetFlag(dcb, DCB_fOutX | DCB_fInX, on);
    } else if (key == "odsr") {
      if (!ParseOnOff(value, on)) return false;
      SetFlag(dcb, DCB_fOutxDsrFlow, on);
    } else if (key == "octs") {
      if (!ParseOnOff(value, on)) return false;
      SetFlag(dcb, DCB_fOutxCtsFlow, on);
    } else if (key == "idsr") {
      if (!ParseOnOff(value, on)) return false;
      SetFlag(dcb, DCB_fDsrSensitivity, on);
    } else if (key == "to") {
      if (!ParseOnOff(value, on)) return false;  // infinite time-out: nothing in the DCB
    } else if (key == "dtr") {
      if (!ParseLineControl(value, false, control)) return false;
      SetLineControl(dcb, DCB_fDtrControlShift, control);
    } else if (key == "rts") {
      if (!ParseLineControl(value, true, control)) return false;
      SetLineControl(dcb, DCB_fRtsControlShift, control);
    } else {
      return false;
    }
  }
  if (!any) return false;
  if (!stopGiven && dcb.BaudRate == 110) dcb.StopBits = TWOSTOPBITS;
  return true;
}

bool ParseShortForm(const std::string& text, DCB& dcb) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, ',')) {
    part.erase(
        std::remove_if(part.begin(), part.end(), [](unsigned char c) { return std::isspace(c); }),
        part.end());
    parts.push_back(part);
  }
  if (parts.empty() || parts.size() > 5) return false;
  if (!ParseBaud(parts[0], dcb.BaudRate)) return false;
  if (parts.size() > 1 && !parts[1].empty() && !ParseParity(parts[1], dcb.Parity)) return false;
  if (parts.size() > 2 && !parts[2].empty() && !ParseData(parts[2], dcb.ByteSize)) return false;
  bool stopGiven = parts.size() > 3 && !parts[3].empty();
  if (stopGiven && !ParseStop(parts[3], dcb.StopBits)) return false;
  if (!stopGiven && dcb.BaudRate == 110) dcb.StopBits = TWOSTOPBITS;
  if (parts.size() > 4) {
    if (parts[4] == "x") {
      dcb.Flags |= DCB_fOutX | DCB_fInX;
    } else if (parts[4] == "p") {
      dcb.Flags |= DCB_fOutxCtsFlow | DCB_fOutxDsrFlow;
      SetLineControl(dcb, DCB_fDtrControlShift, 2);
      SetLineControl(dcb, DCB_fRtsControlShift, 2);
    } else if (!parts[4].empty()) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ParseModeText(const std::string& text, DCB& dcb) {
  std::string s = Lower(text);
  // An optional port prefix ("com1:" or "com1 ") is skipped.
  auto first = s.find_first_not_of(" \t");
  if (first != std::string::npos && s.compare(first, 3, "com") == 0) {
    auto end = s.find_first_not_of("0123456789", first + 3);
    if (end == first + 3) return false;
    if (end != std::string::npos && s[end] == ':') ++end;
    s = end == std::string::npos ? std::string() : s.substr(end);
  }
  DCB work = dcb;
  ResetFlowControl(work);
  bool ok = s.find('=') != std::string::npos ? ParseKeywordForm(s, work) : ParseShortForm(s, work);
  if (ok) dcb = work;
  return ok;
}

}  // namespace pzam::comm
