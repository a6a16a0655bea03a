// Inside the Win32 side of the platform: this user's SID and what an access list lets others do.
#pragma once

#include <windows.h>

#include <string>

namespace pzam::platform::win32 {

// The SID of the user this process runs as, in its text form ("S-1-5-21-..."); empty on failure.
std::wstring UserSidText();

// Whether the DACL lets Everyone, Authenticated Users or Users read. The entries are read in
// order, as the system checks them: a denial seen first takes those rights away (a denial to
// Everyone from all three groups). No DACL at all (nullptr) lets everyone do everything.
bool DaclLetsOthersRead(const ACL* dacl);

}  // namespace pzam::platform::win32
