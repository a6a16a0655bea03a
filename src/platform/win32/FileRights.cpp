// File rights as DACLs.
//
// Under Wine 8 (where the Windows tests run) a file keeps no DACL of its own: a DACL given when
// the file is created (CreateFileW's security attributes) or later by SetFileSecurityW becomes
// the file's Unix mode bits: the owner's entry the user bits (and the group bits, less writing),
// Everyone's the other bits; other groups are dropped. SetNamedSecurityInfoW and SetSecurityInfo
// report success and change nothing. The DACL read back is made from the mode bits (SYSTEM, the
// owner, Everyone; never protected). So under Wine an owner-only file is mode 0750 (others have
// nothing; the Unix group may read, which Wine does not let us prevent) and a secret file of mode
// 0644 is refused, while the entries of Users and Authenticated Users are checked on Windows
// alone (and in the tests on DACLs in memory).
#include "platform/FileRights.h"

// windows.h first: the security headers build on its types.
#include <windows.h>
//
#include <aclapi.h>
#include <sddl.h>

#include <cerrno>
#include <vector>

#include "platform/win32/Acl.h"
#include "platform/win32/Wide.h"

namespace pzam::platform {

using win32::Failed;
using win32::Wide;

namespace win32 {

std::wstring UserSidText() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  std::wstring text;
  wchar_t* sid = nullptr;
  if (size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) &&
      ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    text = sid;
    LocalFree(sid);
  }
  CloseHandle(token);
  return text;
}

bool DaclLetsOthersRead(const ACL* dacl) {
  if (dacl == nullptr) return true;
  const WELL_KNOWN_SID_TYPE kinds[] = {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid};
  constexpr int kGroups = 3;
  BYTE sids[kGroups][SECURITY_MAX_SID_SIZE];
  for (int k = 0; k < kGroups; ++k) {
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!CreateWellKnownSid(kinds[k], nullptr, sids[k], &size)) return true;  // assume the worst
  }
  constexpr ACCESS_MASK kRead = FILE_READ_DATA | GENERIC_READ | GENERIC_ALL;
  ACCESS_MASK denied[kGroups] = {};
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, &ace)) continue;
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    if ((header->AceFlags & INHERIT_ONLY_ACE) != 0) continue;  // for children, not this file
    const bool allows = header->AceType == ACCESS_ALLOWED_ACE_TYPE;
    if (!allows && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    // Allowing and denying entries share one layout: header, mask, then the SID.
    auto* entry = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    for (int k = 0; k < kGroups; ++k) {
      if (!EqualSid(&entry->SidStart, sids[k])) continue;
      if (allows && (entry->Mask & ~denied[k] & kRead) != 0) return true;
      if (!allows) {
        for (int g = 0; g < kGroups; ++g)
          if (g == k || k == 0) denied[g] |= entry->Mask;
      }
    }
  }
  return false;
}

}  // namespace win32

namespace {

// The owner-only descriptor, to be freed with LocalFree; nullptr with the error set on failure.
PSECURITY_DESCRIPTOR OwnerOnlyDescriptor() {
  const std::wstring user = win32::UserSidText();
  if (user.empty()) return nullptr;
  // P: protected (nothing inherited from the folder); FA: full access; SY: SYSTEM; BA: the
  // Administrators, who may take any file anyway and whose backups and services need it.
  const std::wstring sddl = L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)(A;;FA;;;BA)";
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd,
                                                            nullptr))
    return nullptr;
  return sd;
}

// Gives the file the DACL of `sd` as its own (nothing inherited) and frees `sd`. SetFileSecurityW
// rather than SetNamedSecurityInfoW: the same on Windows for a file, and the one of the two that
// Wine carries out (into the file's mode bits).
bool SetOwnDacl(const std::string& path, PSECURITY_DESCRIPTOR sd) {
  const bool ok = SetFileSecurityW(Wide(path).c_str(),
                                   DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                   sd) != FALSE;
  const DWORD error = GetLastError();
  LocalFree(sd);
  if (ok) return true;
  SetLastError(error);
  return Failed();
}

}  // namespace

bool RestrictToOwner(const std::string& path) {
  PSECURITY_DESCRIPTOR sd = OwnerOnlyDescriptor();
  return sd != nullptr ? SetOwnDacl(path, sd) : Failed();
}

bool CreateOwnerOnlyFile(const std::string& path) {
  PSECURITY_DESCRIPTOR sd = OwnerOnlyDescriptor();
  if (sd == nullptr) return Failed();
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  // OPEN_ALWAYS: a missing file is created with these rights, an existing one opened for writing
  // and left as it is (POSIX's O_CREAT without O_EXCL).
  const HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  const DWORD error = GetLastError();
  LocalFree(sd);
  if (file == INVALID_HANDLE_VALUE) {
    SetLastError(error);
    return Failed();
  }
  CloseHandle(file);
  return true;
}

bool CopyRights(const std::string& from, const std::string& to) {
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD rc =
      GetNamedSecurityInfoW(Wide(from).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd);
  if (rc != ERROR_SUCCESS) {
    errno = win32::ErrnoFromError(rc);
    return false;
  }
  return SetOwnDacl(to, sd);
}

bool OthersMayRead(const std::string& path, bool& others) {
  ACL* dacl = nullptr;
  PSECURITY_DESCRIPTOR sd = nullptr;
  const DWORD rc =
      GetNamedSecurityInfoW(Wide(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &dacl, nullptr, &sd);
  if (rc != ERROR_SUCCESS) {
    errno = win32::ErrnoFromError(rc);
    return false;
  }
  others = win32::DaclLetsOthersRead(dacl);
  LocalFree(sd);
  return true;
}

}  // namespace pzam::platform
