#include "platform/Regional.h"

#include <windows.h>

#include "platform/win32/Wide.h"

namespace pzam::platform {

namespace {

std::wstring LocaleText(LCTYPE type) {
  wchar_t buf[128];
  const int n = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, buf, 128);
  return n > 1 ? std::wstring(buf, static_cast<std::size_t>(n - 1)) : std::wstring();
}

}  // namespace

void ReadRegionalSettings(char& decimalSeparator, std::string& longTimeFormat) {
  // One character that the program's single-byte texts can hold; others keep the default.
  const std::wstring decimal = LocaleText(LOCALE_SDECIMAL);
  if (decimal.size() == 1 && decimal[0] > 0x20 && decimal[0] < 0x7F)
    decimalSeparator = static_cast<char>(decimal[0]);
  const std::wstring picture = LocaleText(LOCALE_STIMEFORMAT);
  if (!picture.empty()) longTimeFormat = TimeFormatFromPicture(win32::Utf8(picture));
}

bool LocalTime(std::time_t t, std::tm& out) {
  return localtime_s(&out, &t) == 0;
}

int UtcOffsetMinutes(std::time_t t) {
  // The C runtime has no tm_gmtoff: the local fields read as UTC, less t.
  std::tm local{};
  if (localtime_s(&local, &t) != 0) return 0;
  const std::time_t asUtc = _mkgmtime(&local);
  return asUtc == -1 ? 0 : static_cast<int>((asUtc - t) / 60);
}

}  // namespace pzam::platform
