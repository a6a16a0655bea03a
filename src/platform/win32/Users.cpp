#include "platform/Users.h"

#include <lmcons.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/win32/Wide.h"

namespace pzam::platform {

std::string UserName() {
  wchar_t name[UNLEN + 1];
  DWORD size = UNLEN + 1;
  return GetUserNameW(name, &size) ? win32::Utf8(name) : std::string();
}

std::string HomeFolder() {
  PWSTR folder = nullptr;
  std::string home;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Profile, 0, nullptr, &folder)))
    home = win32::Utf8(folder);
  CoTaskMemFree(folder);
  return home;
}

std::string HostName() {
  wchar_t name[256];
  DWORD size = 256;
  return GetComputerNameExW(ComputerNameDnsHostname, name, &size) ? win32::Utf8(name)
                                                                  : std::string();
}

}  // namespace pzam::platform
