// Who may use a file: files only this user may open (the station's journal), and whether others
// may read a file that holds a secret. POSIX keeps this in the mode bits; Windows in the file's
// access list (DACL).
#pragma once

#include <string>

namespace pzam::platform {

// Creates path empty for this user alone when it does not exist: mode 0600 (the umask cannot
// widen it); on Windows a protected DACL that grants this user, SYSTEM and the Administrators
// full access and nobody else anything (nothing inherited from the folder). An existing file is
// left as it is. False with errno set when it cannot be created.
bool CreateOwnerOnlyFile(const std::string& path);

// Takes every right of others from an existing file: mode 0600; on Windows the protected DACL of
// CreateOwnerOnlyFile. False with errno set on failure.
bool RestrictToOwner(const std::string& path);

// Gives the file at `to` the rights of the file at `from`: its mode bits (POSIX), its DACL as
// the file's own, nothing inherited from the folder (Windows). False with errno set on failure.
bool CopyRights(const std::string& from, const std::string& to);

// Whether users other than the owner may read the file at path, into `others`. POSIX: any group
// or other mode bit counts (r, w or x). Windows: a DACL entry that lets Everyone, Authenticated
// Users or Users read it (unless an earlier entry denies that), or no DACL at all (everyone may).
// False with errno set when the file or its rights cannot be read.
bool OthersMayRead(const std::string& path, bool& others);

}  // namespace pzam::platform
