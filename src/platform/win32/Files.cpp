#include "platform/Files.h"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <cerrno>
#include <climits>
#include <filesystem>

#include "platform/Folders.h"
#include "platform/win32/Wide.h"

namespace pzam::platform {

using win32::Failed;
using win32::Wide;

int OpenForWriting(const std::string& path, TOpenMode mode) {
  // _O_NOINHERIT: the handle stays out of programs this one starts, as O_CLOEXEC does.
  int flags = _O_WRONLY | _O_BINARY | _O_NOINHERIT;
  switch (mode) {
    case TOpenMode::Create:
      flags |= _O_CREAT | _O_TRUNC;
      break;
    case TOpenMode::CreateReadWrite:
      flags = _O_RDWR | _O_BINARY | _O_NOINHERIT | _O_CREAT | _O_TRUNC;
      break;
    case TOpenMode::CreateNew:
      flags |= _O_CREAT | _O_EXCL;
      break;
    case TOpenMode::AppendExisting:
      flags |= _O_APPEND;
      break;
  }
  return ::_wopen(Wide(path).c_str(), flags, _S_IREAD | _S_IWRITE);
}

bool CloseFile(int fd) {
  return ::_close(fd) == 0;
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const std::size_t left = bytes.size() - done;
    const unsigned chunk = left > INT_MAX ? INT_MAX : static_cast<unsigned>(left);
    const int n = ::_write(fd, bytes.data() + done, chunk);
    if (n < 0) return false;
    if (n == 0) {
      errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SeekTo(int fd, long long offset) {
  return (offset < 0 ? ::_lseeki64(fd, 0, SEEK_END) : ::_lseeki64(fd, offset, SEEK_SET)) >= 0;
}

bool TruncateFile(int fd, long long size) {
  const errno_t err = ::_chsize_s(fd, size);
  if (err != 0) errno = err;
  return err == 0;
}

long long FileSize(int fd) {
  return ::_filelengthi64(fd);
}

bool SyncData(int fd) {
  const HANDLE handle = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
  if (handle == INVALID_HANDLE_VALUE) return false;  // errno is EBADF
  if (FlushFileBuffers(handle)) return true;
  // A console or a pipe keeps nothing to flush.
  const DWORD error = GetLastError();
  if (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION) return true;
  errno = win32::ErrnoFromError(error);
  return false;
}

bool SyncFile(int fd) {
  // FlushFileBuffers writes the metadata with the data.
  return SyncData(fd);
}

bool SyncFolderOf(const std::string&) {
  return true;
}

bool ReplaceAtomically(const std::string& from, const std::string& to) {
  return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ||
         Failed();
}

bool RemoveFile(const std::string& path) {
  return DeleteFileW(Wide(path).c_str()) || Failed();
}

TEntryKind EntryKind(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(FsPath(path), ec);
  if (ec) return TEntryKind::None;
  switch (status.type()) {
    case std::filesystem::file_type::regular:
      return TEntryKind::File;
    case std::filesystem::file_type::directory:
      return TEntryKind::Folder;
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::none:
      return TEntryKind::None;
    default:
      return TEntryKind::Other;
  }
}

std::string WriteTarget(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path p = FsPath(path);
  if (!std::filesystem::is_symlink(p, ec)) return path;
  const auto target = std::filesystem::canonical(p, ec);
  return ec ? path : Utf8Path(target);
}

bool FileWritable(const std::string& path) {
  const std::wstring wide = Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
  // Opening for writing asks the file's access rules without changing the file.
  const HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

bool CopyModes(const std::string&, int) {
  return true;
}

long ProcessId() {
  return static_cast<long>(GetCurrentProcessId());
}

}  // namespace pzam::platform
