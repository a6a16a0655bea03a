#include "measurement/TraceFile.h"

#include <cerrno>

#include "common/Errors.h"
#include "measurement/FileHandle.h"
#include "platform/Files.h"
#include "platform/Folders.h"

namespace pzam::measurement {

namespace {

std::string TracePath(const std::string& directory) {
  return directory.empty() ? std::string(kTraceFileName)
                           : platform::Utf8Path(platform::FsPath(directory) / kTraceFileName);
}

void WriteOrThrow(platform::TOpenMode mode, const std::string& directory, const std::string& text) {
  TFileHandle file(platform::OpenForWriting(TracePath(directory), mode));
  if (!file.IsOpen() || !file.WriteAt(-1, text))
    throw EInOutError(EInOutError::CodeFromErrno(errno));
}

}  // namespace

void CreateTraceFile(const std::string& directory) {
  WriteOrThrow(platform::TOpenMode::Create, directory, "test\r\n");
}

void AppendTraceLine(const std::string& directory, const std::string& line) {
  WriteOrThrow(platform::TOpenMode::AppendExisting, directory, line + "\r\n");
}

}  // namespace pzam::measurement
