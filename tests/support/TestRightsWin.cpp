// The rights as protected DACLs in SDDL: this user by SID, "WD" Everyone; FA all rights, FR read.
// Set by SetFileSecurityW, which Wine carries out (as mode bits).
#include <windows.h>
//
#include <aclapi.h>
#include <sddl.h>

#include "TestRights.h"
#include "platform/win32/Acl.h"
#include "platform/win32/Wide.h"

namespace pzam::test {

bool GiveRights(const std::string& path, TTestRights rights) {
  std::wstring sddl = L"D:P(A;;" + std::wstring(rights == TTestRights::OwnerRead ? L"FR" : L"FA") +
                      L";;;" + platform::win32::UserSidText() + L")";
  if (rights == TTestRights::OthersRead) sddl += L"(A;;FR;;;WD)";
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd,
                                                            nullptr))
    return false;
  const bool ok = SetFileSecurityW(platform::win32::Wide(path).c_str(),
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   sd) != FALSE;
  LocalFree(sd);
  return ok;
}

}  // namespace pzam::test
