#include "config/AtomicFile.h"

#include <cerrno>
#include <fstream>
#include <iterator>

#include "platform/Files.h"
#include "platform/Folders.h"

namespace pzam {

bool ReadWholeFile(const std::string& path, std::string& content) {
  if (platform::EntryKind(path) != platform::TEntryKind::File) return false;
  std::ifstream in(platform::FsPath(path), std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool FileExists(const std::string& path) {
  return platform::EntryKind(path) != platform::TEntryKind::None;
}

namespace {

int CreateTemporary(const std::string& target, std::string& tmpPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmpPath =
        target + ".tmp" + std::to_string(platform::ProcessId()) + "_" + std::to_string(attempt);
    const int fd = platform::OpenForWriting(tmpPath, platform::TOpenMode::CreateNew);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& content) {
  const std::string target = platform::WriteTarget(path);
  const platform::TEntryKind kind = platform::EntryKind(target);
  const bool exists = kind != platform::TEntryKind::None;
  if (exists && (kind != platform::TEntryKind::File || !platform::FileWritable(target)))
    return false;
  std::string tmp;
  const int fd = CreateTemporary(target, tmp);
  if (fd < 0) return false;
  bool ok = !exists || platform::CopyModes(target, fd);
  // The new content is on the disk before its name replaces the old file's.
  ok = ok && platform::WriteAll(fd, content) && platform::SyncFile(fd);
  ok = platform::CloseFile(fd) && ok;
  ok = ok && platform::ReplaceAtomically(tmp, target);
  if (!ok) {
    platform::RemoveFile(tmp);
    return false;
  }
  // The rename itself reaches the disk with the folder; until then a power cut may bring back the
  // old file (whole, never a mix), so a failed folder sync is a failed write.
  return platform::SyncFolderOf(target);
}

}  // namespace pzam
