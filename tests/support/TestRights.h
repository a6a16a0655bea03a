// Rights a test gives a file, as each system spells them: for this user alone, or for everyone
// to read (POSIX: mode bits; Windows: a protected DACL naming this user and Everyone). Only these
// survive Wine, which keeps a DACL as mode bits (src/platform/win32/FileRights.cpp); the rights of
// groups are tested on each side of its own.
#pragma once

#include <string>

namespace pzam::test {

enum class TTestRights {
  OwnerReadWrite,  // 0600; this user alone
  OwnerRead,       // 0400; this user alone, reading
  OthersRead,      // 0604; Windows: Everyone may read
};

// False when the system refused them.
bool GiveRights(const std::string& path, TTestRights rights);

}  // namespace pzam::test
