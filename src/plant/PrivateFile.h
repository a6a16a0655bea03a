// Files only the owner may read: the journal (created that way) and the files that hold a password
// (refused when others may read them). The file rights themselves are the platform's
// (platform/FileRights.h).
#pragma once

#include <string>

namespace pzam::plant {

// Creates `path` empty with owner-only rights (0600; on Windows an access list for this user,
// SYSTEM and the Administrators) when it does not exist yet; an existing file is left as it is.
// False with `error` set when it cannot be created.
bool CreatePrivateFile(const std::string& path, std::string& error);

// Takes every right of group and others from an existing file (0600); true when it is so.
bool RestrictToOwner(const std::string& path, std::string& error);

// Reads a secret (a password) from `path`: the first line, without its line end. Refused, with the
// reason in `error`, when the file cannot be read or others may read it (POSIX: its group or
// others have any right; Windows: Everyone, Authenticated Users or Users may read it).
// `error` never holds the secret.
bool ReadSecretFile(const std::string& path, std::string& secret, std::string& error);

}  // namespace pzam::plant
