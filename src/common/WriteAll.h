// Writing a whole buffer to a file descriptor, and waiting until written data is on the disk.
#pragma once

#include <string>
#include <string_view>

namespace pzam {

// Writes every byte, going on after interrupted and partial writes. False with errno set when a
// write fails; a write that takes nothing counts as a full disk (ENOSPC) rather than being retried.
bool WriteAll(int fd, std::string_view bytes);

// Waits until the file's data (and the size that reaches it) is on the disk, not only in the
// system's cache (fdatasync). A file that cannot be synchronised at all (a special file, a file
// system without the call: EINVAL, EROFS) counts as done: its writes are as durable as they get.
// False with errno set when the data may not have reached the disk (EIO, ENOSPC, EDQUOT...).
bool SyncData(int fd);

// The same with all of the file's metadata (fsync): for a new file whose mode and owner matter.
bool SyncFile(int fd);

// The same for the folder holding `path`: its entries (a new or renamed file's name) reach the
// disk. A folder this user may not open for reading is left alone (true).
bool SyncFolderOf(const std::string& path);

}  // namespace pzam
