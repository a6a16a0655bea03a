// Whole-file reads and crash-safe whole-file writes.
#pragma once

#include <string>

namespace pzam {

// Reads every byte of a regular file; false when it does not exist or cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);

// True when path names an existing file system entry (a dangling link counts as none).
bool FileExists(const std::string& path);

// Replaces the file's content through a temporary file in the same directory and an atomic
// rename, so a crash leaves either the old or the new file, never a half-written one. The new file
// is synced to the disk before the rename and the folder after it; false when either sync fails. An
// existing file keeps its permissions; a link is followed and its target replaced. Refuses (returns
// false) a file that is read-only (no write bit at all or marked read-only, or not writable by this
// user), a path that is not a regular file, and a directory where the temporary file cannot be
// created. Paths are UTF-8 on every system.
bool WriteFileAtomically(const std::string& path, const std::string& content);

}  // namespace pzam
