#include "analysis/ValueFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "measurement/NumberText.h"
#include "platform/Folders.h"

namespace pzam::analysis {

namespace {

constexpr std::uint16_t kBofId = 0x0809;
constexpr std::uint16_t kLabelId = 0x0204;
constexpr std::uint16_t kEofId = 0x000A;
constexpr std::uint16_t kBatchColumn = 1;  // columns 1 to 8: batch, time, count, value, ...
constexpr std::uint16_t kTimeColumn = 2;
constexpr std::uint16_t kValueColumn = 4;
constexpr std::size_t kRecordFields = 8;

// A value text as found, with where it was, before the separator is known.
struct TValueText {
  std::string Text;
  std::string Where;  // "line 5", "row 3"
  std::string Time;
};

// What the readers find besides the value texts.
struct TRunTexts {
  std::vector<TValueText> Values;
  std::string Batch;
  bool HasTimes = false;
};

std::uint16_t Get16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

bool EndsWithNoCase(const std::string& name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.begin(), suffix.end(), name.end() - suffix.size(), [](char a, char b) {
    return a == static_cast<char>(std::tolower(static_cast<unsigned char>(b)));
  });
}

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// The text for an error line: printable ASCII only, at most 40 characters.
std::string Shown(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 40)) out += c >= 0x20 && c < 0x7F ? c : '?';
  if (text.size() > 40) out += "...";
  return out;
}

// Splits into lines at LF; the record text file ends its lines with LF CR, so a CR at either end
// of a line belongs to no field. Calls `line(number, text)` for each non-blank line.
template <class F>
bool ForEachLine(std::string_view bytes, F line) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    ++number;
    const std::string_view text = Trim(bytes.substr(0, end));
    if (!text.empty() && !line(number, text)) return false;
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
  }
  return true;
}

bool CsvTexts(std::string_view bytes, TRunTexts& run, std::string& error) {
  bool header = true;
  return ForEachLine(bytes, [&](int number, std::string_view line) {
    if (header) {
      header = false;
      return true;
    }
    std::vector<std::string_view> fields;
    for (std::size_t at = 0;;) {
      const std::size_t semi = line.find(';', at);
      fields.push_back(line.substr(at, semi == std::string_view::npos ? semi : semi - at));
      if (semi == std::string_view::npos) break;
      at = semi + 1;
    }
    if (fields.size() < 4) {
      error = "line " + std::to_string(number) + " has no fourth column";
      return false;
    }
    // Nothing is escaped in the file: a batch number holding ";" shifts the fields after it, so
    // on a longer line the fields from the time on are counted from the end.
    const std::size_t shift = fields.size() > kRecordFields ? fields.size() - kRecordFields : 0;
    if (run.Values.empty()) {
      const std::size_t batchEnd = fields[shift].data() + fields[shift].size() - line.data();
      run.Batch = std::string(Trim(line.substr(0, batchEnd)));
    }
    run.HasTimes = true;
    run.Values.push_back({std::string(fields[3 + shift]), "line " + std::to_string(number),
                          std::string(Trim(fields[1 + shift]))});
    return true;
  });
}

bool PlainTexts(std::string_view bytes, TRunTexts& run) {
  return ForEachLine(bytes, [&](int number, std::string_view line) {
    run.Values.push_back({std::string(line), "line " + std::to_string(number), {}});
    return true;
  });
}

bool ExcelTexts(std::string_view bytes, TRunTexts& run, std::string& error) {
  if (bytes.size() < 4 || Get16(bytes, 0) != kBofId) {
    error = "not a worksheet (no BOF record at the start)";
    return false;
  }
  // The program writes a row's cells in column order, so the batch and the time of a value's row
  // come before its value.
  std::uint16_t textRow = 0;
  std::string batch, time;
  for (std::size_t at = 0; at < bytes.size();) {
    if (bytes.size() - at < 4) {
      error = "record at byte " + std::to_string(at) + " is cut off";
      return false;
    }
    const std::uint16_t id = Get16(bytes, at);
    const std::size_t length = Get16(bytes, at + 2);
    if (bytes.size() - at - 4 < length) {
      error = "record at byte " + std::to_string(at) + " runs past the end of the file";
      return false;
    }
    const std::string_view data = bytes.substr(at + 4, length);
    if (id == kEofId) break;
    if (id == kLabelId) {
      if (length < 8 || Get16(data, 6) > length - 8) {
        error = "LABEL record at byte " + std::to_string(at) + " has a wrong length";
        return false;
      }
      const std::uint16_t row = Get16(data, 0), column = Get16(data, 2);
      const std::string_view text = Trim(data.substr(8, Get16(data, 6)));
      if (row != textRow) {
        textRow = row;
        batch.clear();
        time.clear();
      }
      if (row != 0 && column == kBatchColumn) batch = text;
      if (row != 0 && column == kTimeColumn) time = text;
      if (row != 0 && column == kValueColumn) {
        if (run.Values.empty()) run.Batch = batch;
        run.Values.push_back({std::string(text), "row " + std::to_string(row), time});
      }
    }
    at += 4 + length;
  }
  run.HasTimes = true;
  return true;
}

}  // namespace

std::string RunDateFromName(const std::string& path) {
  const std::string name = platform::Utf8Path(platform::FsPath(path).filename());
  if (name.size() < 9 || name[8] != '_' ||
      !std::all_of(name.begin(), name.begin() + 8, [](char c) { return c >= '0' && c <= '9'; }))
    return "";
  const int month = std::stoi(name.substr(4, 2)), day = std::stoi(name.substr(6, 2));
  if (month < 1 || month > 12 || day < 1 || day > 31) return "";
  return name.substr(0, 4) + "-" + name.substr(4, 2) + "-" + name.substr(6, 2);
}

TValueFileKind ValueFileKind(std::string_view bytes, const std::string& name) {
  if ((bytes.size() >= 2 && Get16(bytes, 0) == kBofId) || EndsWithNoCase(name, ".xls"))
    return TValueFileKind::Excel;
  if (EndsWithNoCase(name, ".csv")) return TValueFileKind::Csv;
  const std::string_view first = bytes.substr(0, bytes.find('\n'));
  return first.find(';') != std::string_view::npos ? TValueFileKind::Csv : TValueFileKind::Text;
}

bool ParseValueFile(std::string_view bytes, const std::string& name, char decimal, TValueFile& out,
                    std::string& error) {
  TValueFile file;
  file.Kind = ValueFileKind(bytes, name);
  TRunTexts run;
  bool ok = false;
  switch (file.Kind) {
    case TValueFileKind::Excel:
      ok = ExcelTexts(bytes, run, error);
      break;
    case TValueFileKind::Csv:
      ok = CsvTexts(bytes, run, error);
      break;
    case TValueFileKind::Text:
      ok = PlainTexts(bytes, run);
      break;
  }
  if (!ok) return false;
  const std::vector<TValueText>& texts = run.Values;
  file.Batch = run.Batch;
  file.Decimal = decimal;
  if (decimal == 0)
    file.Decimal = !texts.empty() && texts.front().Text.find(',') != std::string::npos ? ',' : '.';
  file.Values.reserve(texts.size());
  for (const TValueText& t : texts) {
    long double v = 0;
    if (!measurement::TryStrToFloat(t.Text, file.Decimal, v)) {
      error = t.Where + ": '" + Shown(t.Text) + "' is not a number";
      return false;
    }
    file.Values.push_back(static_cast<double>(v));
    if (run.HasTimes) file.Times.push_back(t.Time);
  }
  out = std::move(file);
  return true;
}

bool ReadValueFile(const std::string& path, char decimal, TValueFile& out, std::string& error) {
  std::error_code ec;
  if (std::filesystem::is_directory(platform::FsPath(path), ec)) {
    error = "cannot read '" + path + "': " + std::strerror(EISDIR);
    return false;
  }
  std::ifstream in(platform::FsPath(path), std::ios::binary);
  if (!in) {
    error = "cannot read '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::string bytes;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kMaxValueFileBytes) {
      error = "'" + path + "' is larger than 64 MiB";
      return false;
    }
  }
  if (in.bad()) {
    error = "cannot read '" + path + "'";
    return false;
  }
  return ParseValueFile(bytes, path, decimal, out, error);
}

}  // namespace pzam::analysis
