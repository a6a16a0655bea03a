#include "measurement/TraceFile.h"

#include <fcntl.h>

#include <cerrno>
#include <filesystem>

#include "common/Errors.h"
#include "measurement/FileHandle.h"

namespace pzam::measurement {

namespace {

std::string TracePath(const std::string& directory) {
  return directory.empty() ? std::string(kTraceFileName)
                           : (std::filesystem::path(directory) / kTraceFileName).string();
}

void WriteOrThrow(int flags, const std::string& directory, const std::string& text) {
  TFileHandle file(::open(TracePath(directory).c_str(), flags | O_CLOEXEC, 0666));
  if (!file.IsOpen() || !file.WriteAt(-1, text))
    throw EInOutError(EInOutError::CodeFromErrno(errno));
}

}  // namespace

void CreateTraceFile(const std::string& directory) {
  WriteOrThrow(O_WRONLY | O_CREAT | O_TRUNC, directory, "test\r\n");
}

void AppendTraceLine(const std::string& directory, const std::string& line) {
  WriteOrThrow(O_WRONLY | O_APPEND, directory, line + "\r\n");
}

}  // namespace pzam::measurement
