// Files and syncing: opening files for writing, writing them whole, getting their data onto the
// disk and putting a new file in an old one's place in one step. Paths are UTF-8; descriptors are
// the C runtime's (the system's own on POSIX) and are never inherited by programs this one starts.
// Failures leave errno set, so every caller reports them one way.
#pragma once

#include <string>
#include <string_view>

namespace pzam::platform {

enum class TOpenMode {
  Create,           // write only; created, or emptied when it exists
  CreateReadWrite,  // read and write; created, or emptied when it exists
  CreateNew,        // write only; EEXIST when the file exists
  AppendExisting,   // write only, each write at the end; ENOENT when the file is missing
};

// Opens path; a new file gets the usual permissions (0666 less the umask on POSIX). -1 on failure.
int OpenForWriting(const std::string& path, TOpenMode mode);

// Closes fd; false when the system reports a failure at the close.
bool CloseFile(int fd);

// Writes every byte, going on after interrupted and partial writes. A write that takes nothing
// counts as a full disk (ENOSPC) rather than being retried.
bool WriteAll(int fd, std::string_view bytes);

// Moves fd's position to offset, or to the end with offset -1.
bool SeekTo(int fd, long long offset);

// Cuts or extends the file to size bytes.
bool TruncateFile(int fd, long long size);

// The file's size in bytes; -1 on failure.
long long FileSize(int fd);

// Waits until the file's data (and the size that reaches it) is on the disk, not only in the
// system's cache (fdatasync, FlushFileBuffers). A file that cannot be synchronised at all (a
// special file, a file system without the call) counts as done: its writes are as durable as they
// get. False when the data may not have reached the disk.
bool SyncData(int fd);

// The same with all of the file's metadata (fsync): for a new file whose mode and owner matter.
bool SyncFile(int fd);

// The same for the folder holding path: its entries (a new or renamed file's name) reach the
// disk. A folder this user may not open is left alone (true); so is every folder on Windows, where
// the file system journals names and a replace is written through.
bool SyncFolderOf(const std::string& path);

// Gives the file at from the name to in one step, replacing a file there: readers see the old
// file or the new one, never neither (rename; MoveFileExW with MOVEFILE_REPLACE_EXISTING and
// MOVEFILE_WRITE_THROUGH). On failure nothing has changed.
bool ReplaceAtomically(const std::string& from, const std::string& to);

// Deletes the file at path.
bool RemoveFile(const std::string& path);

enum class TEntryKind { None, File, Folder, Other };

// What path names; links are followed (a dangling link names nothing).
TEntryKind EntryKind(const std::string& path);

// The file a write to path lands in: the target of a symbolic link, else path itself.
std::string WriteTarget(const std::string& path);

// True when this user may write the existing file at path. A file without any write bit (POSIX)
// or marked read-only (Windows) is read-only even for the administrator.
bool FileWritable(const std::string& path);

// Gives the new file fd the permission bits and, where this user may, the owner of the file at
// from (POSIX). Windows files take their access rules from their folder: nothing to copy.
bool CopyModes(const std::string& from, int fd);

// This process's id, for names no other process uses.
long ProcessId();

}  // namespace pzam::platform
