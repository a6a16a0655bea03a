#include "platform/VersionResource.h"

#include <windows.h>

#include <vector>

#include "platform/win32/Wide.h"

namespace pzam::platform {

const char* BuiltVersionString() {
  return PZAM_VERSION_STRING;
}

std::string ExecutableVersionString(const std::string& path) {
  const std::wstring file = win32::Wide(path);
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &handle);
  if (size == 0) return {};
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) return {};
  void* data = nullptr;
  UINT length = 0;
  // The one translation PZAM.rc writes: German (0407) in code page 1252 (04E4).
  if (!VerQueryValueW(block.data(), L"\\StringFileInfo\\040704E4\\FileVersion", &data, &length) ||
      length == 0)
    return {};
  // length counts characters with the terminating zero.
  return win32::Utf8(std::wstring(static_cast<const wchar_t*>(data), length - 1));
}

}  // namespace pzam::platform
