#include "measurement/RecordFile.h"

#include <cerrno>
#include <filesystem>

#include "common/Errors.h"
#include "measurement/ExcelRecordFile.h"
#include "measurement/TextRecordFile.h"
#include "platform/Folders.h"

namespace pzam::measurement {

namespace {

bool HasPathSeparator(const std::string& name) {
  for (char c : name)
    if (platform::IsPathSeparator(c)) return true;
  return false;
}

std::string PathIn(const std::string& directory, const std::string& name) {
  return directory.empty()
             ? name
             : platform::Utf8Path(platform::FsPath(directory) / platform::FsPath(name));
}

}  // namespace

std::string RecordFileName(const TDateTime& t, const std::string& batch, int saveMode) {
  const long datePart = t.Year * 10000L + t.Month * 100L + t.Day;
  const long timePart = t.Hour * 10000L + t.Minute * 100L + t.Second;
  return std::to_string(datePart) + "_" + std::to_string(timePart) + "_" + batch +
         (saveMode == kSaveExcel ? ".xls" : ".csv");
}

std::string FullPath(const std::string& directory, const std::string& name) {
  std::error_code ec;
  const auto abs = std::filesystem::absolute(platform::FsPath(PathIn(directory, name)), ec);
  return ec ? PathIn(directory, name) : platform::Utf8Path(abs);
}

std::unique_ptr<IRecordFile> CreateRecordFile(int saveMode, const std::string& directory,
                                              const std::string& name, const TRecordRow& headers) {
  const std::string path = PathIn(directory, name);
  if (saveMode == kSaveExcel) {
    // A batch number with a path separator would place the file in another folder.
    if (HasPathSeparator(name))
      throw EFCreateError(FullPath(directory, name), SystemErrorText(EINVAL));
    return TExcelRecordFile::Create(path, FullPath(directory, name), headers);
  }
  if (saveMode == kSaveText) {
    if (HasPathSeparator(name)) throw EInOutError(3);
    return TTextRecordFile::Create(path, headers);
  }
  return nullptr;
}

}  // namespace pzam::measurement
