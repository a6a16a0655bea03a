#include "measurement/ExcelRecordFile.h"

#include <cerrno>

#include "common/Errors.h"
#include "common/TextEncoding.h"
#include "platform/Files.h"

namespace pzam::measurement {

namespace {

const std::string kBof("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
const std::string kEof("\x0A\x00\x00\x00", 4);
// The record length is 16 bits and holds 8 bytes besides the text.
constexpr std::size_t kMaxLabelText = 0xFFFF - 8;
// A record's id and length: the part of a row's first LABEL that takes the EOF record's place.
constexpr std::size_t kRecordHead = 4;

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

std::string RowLabels(std::int32_t rowNumber, const TRecordRow& row) {
  std::string bytes;
  for (int column = 1; column <= 8; ++column)
    AppendLabel(bytes, rowNumber, column, row[column - 1]);
  return bytes;
}

}  // namespace

std::unique_ptr<TExcelRecordFile> TExcelRecordFile::Create(const std::string& path,
                                                           const std::string& fullPath,
                                                           const TRecordRow& headers) {
  const int fd = platform::OpenForWriting(path, platform::TOpenMode::CreateReadWrite);
  if (fd < 0) throw EFCreateError(fullPath, SystemErrorText(errno));
  std::unique_ptr<TExcelRecordFile> file(new TExcelRecordFile(fd));
  const std::string header = kBof + RowLabels(0, headers);
  // The header is on the disk, and the new file's name in its folder, before the first value.
  if (!file->FFile.WriteAt(0, header + kEof) || !file->FFile.Sync() ||
      !platform::SyncFolderOf(path))
    throw EWriteError();
  file->FEofAt = static_cast<long long>(header.size());
  return file;
}

bool TExcelRecordFile::AppendRow(std::int32_t rowNumber, const TRecordRow& row) {
  const std::string bytes = RowLabels(rowNumber, row);
  const long long at = FEofAt;
  const long long behindEof = at + static_cast<long long>(kEof.size());
  // First everything but the first record's head goes behind the EOF record, with a new EOF
  // record at its end; the worksheet still ends at the old EOF record. Then the head (4 bytes)
  // replaces the old EOF record and the row becomes part of the worksheet. Each step reaches the
  // disk before the next, so a crash or power cut at any moment leaves a valid worksheet: the
  // rows before, or the rows with this one (bytes behind an EOF record are not read).
  const bool tailDone = FFile.WriteAt(behindEof, bytes.substr(kRecordHead) + kEof) && FFile.Sync();
  if (tailDone && FFile.WriteAt(at, bytes.substr(0, kRecordHead)) && FFile.Sync()) {
    FEofAt = at + static_cast<long long>(bytes.size());
    return true;
  }
  // Leave the rows before complete and exactly as they were: the old EOF record back in its
  // place (when the head was written), the tail cut off.
  const int err = errno;
  if (tailDone) FFile.WriteAt(at, kEof);
  FFile.Truncate(behindEof);
  FFile.Sync();
  errno = err;
  return false;
}

void TExcelRecordFile::WriteRow(const TRecordRow& row) {
  if (!FFile.IsOpen()) throw EWriteError();
  if (!AppendRow(FRow + 1, row)) throw EWriteError();
  ++FRow;
}

}  // namespace pzam::measurement
