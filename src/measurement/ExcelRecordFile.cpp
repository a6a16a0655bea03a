#include "measurement/ExcelRecordFile.h"

#include <fcntl.h>

#include <cerrno>

#include "common/Errors.h"
#include "common/TextEncoding.h"

namespace pzam::measurement {

namespace {

const std::string kBof("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
const std::string kEof("\x0A\x00\x00\x00", 4);
// The record length is 16 bits and holds 8 bytes besides the text.
constexpr std::size_t kMaxLabelText = 0xFFFF - 8;

void Put16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}

void AppendLabel(std::string& out, std::int32_t row, int column, const std::string& utf8) {
  std::string text = Utf8ToWindows1252(utf8);
  if (text.size() > kMaxLabelText) text.resize(kMaxLabelText);
  Put16(out, 0x0204);
  Put16(out, static_cast<std::uint32_t>(8 + text.size()));
  Put16(out, static_cast<std::uint32_t>(row));
  Put16(out, static_cast<std::uint32_t>(column));
  Put16(out, 0);
  Put16(out, static_cast<std::uint32_t>(text.size()));
  out += text;
}

}  // namespace

std::unique_ptr<TExcelRecordFile> TExcelRecordFile::Create(const std::string& path,
                                                           const std::string& fullPath,
                                                           const TRecordRow& headers) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) throw EFCreateError(fullPath, SystemErrorText(errno));
  std::unique_ptr<TExcelRecordFile> file(new TExcelRecordFile(fd));
  if (!file->FFile.WriteAt(0, kBof)) throw EWriteError();
  file->FEofAt = static_cast<long long>(kBof.size());
  if (!file->AppendRow(0, headers, file->FEofAt)) throw EWriteError();
  return file;
}

bool TExcelRecordFile::AppendRow(std::int32_t rowNumber, const TRecordRow& row, long long at) {
  std::string bytes;
  for (int column = 1; column <= 8; ++column)
    AppendLabel(bytes, rowNumber, column, row[column - 1]);
  if (!FFile.WriteAt(at, bytes + kEof)) {
    // Leave the rows before complete: cut the partial row and put the end record back.
    FFile.Truncate(at);
    FFile.WriteAt(at, kEof);
    return false;
  }
  FEofAt = at + static_cast<long long>(bytes.size());
  return true;
}

void TExcelRecordFile::WriteRow(const TRecordRow& row) {
  if (!FFile.IsOpen()) throw EWriteError();
  if (!AppendRow(FRow + 1, row, FEofAt)) throw EWriteError();
  ++FRow;
}

}  // namespace pzam::measurement
