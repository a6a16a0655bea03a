#include "serial/comm/RegistryPorts.h"

#include "serial/comm/PortNames.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace pzam::comm {

namespace {

std::string Utf8(const wchar_t* text, size_t length) {
  const int size = static_cast<int>(length);
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text, size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, size, out.data(), n, nullptr, nullptr);
  return out;
}

// A string value's text: up to its first NUL (registry data need not end with one).
std::string ValueText(const wchar_t* data, DWORD bytes) {
  const size_t max = bytes / sizeof(wchar_t);
  size_t length = 0;
  while (length < max && data[length] != L'\0') ++length;
  return Utf8(data, length);
}

}  // namespace

std::map<int, std::string> RegistryPorts() {
  std::map<int, std::string> ports;
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                      &key) != ERROR_SUCCESS)
    return ports;
  // Value names (device names) and port names are short; longer ones are skipped.
  wchar_t name[256];
  wchar_t data[64];
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = sizeof name / sizeof name[0];
    DWORD type = 0;
    DWORD bytes = sizeof data;
    const LONG rc = ::RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                                    reinterpret_cast<BYTE*>(data), &bytes);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS || type != REG_SZ) continue;
    const int number = PortNumberFromName(ValueText(data, bytes));
    if (number > 0) ports[number] = Utf8(name, nameLength);
  }
  ::RegCloseKey(key);
  return ports;
}

}  // namespace pzam::comm
