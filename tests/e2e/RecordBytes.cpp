#include "RecordBytes.h"

#include <cstdint>
#include <stdexcept>

namespace pzam::e2e {
namespace {

void Put16(std::string& out, unsigned value) {
  out += static_cast<char>(value & 0xff);
  out += static_cast<char>((value >> 8) & 0xff);
}

unsigned Get16(const std::string& in, std::size_t at) {
  return static_cast<unsigned char>(in[at]) | (static_cast<unsigned char>(in[at + 1]) << 8);
}

void Label(std::string& out, unsigned row, unsigned column, const std::string& text) {
  Put16(out, 0x0204);
  Put16(out, 8 + static_cast<unsigned>(text.size()));
  Put16(out, row);
  Put16(out, column);
  Put16(out, 0);
  Put16(out, static_cast<unsigned>(text.size()));
  out += text;
}

std::string Joined(const std::array<std::string, 8>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? ";" : "") + cells[i];
  return line + "\n\r";
}

}  // namespace

THeader HeaderTexts(const std::string& language) {
  if (language == "deutsch") {
    return {"Charge",     "Uhrzeit",      "Nr.",     "Messwert",
            "Mittelwert", "Standardabw.", "Maximum", "Minimum"};
  }
  if (language == "english") {
    return {"Batch", "Time", "No.", "Value", "Mean", "Std. deviation", "Maximum", "Minimum"};
  }
  return {"0", "0", "0", "0", "0", "0", "0", "0"};
}

std::string ExcelBytes(const THeader& header, const std::vector<TRow>& rows) {
  std::string out("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
  for (unsigned c = 0; c < 8; ++c) Label(out, 0, c + 1, header[c]);
  for (unsigned r = 0; r < rows.size(); ++r) {
    for (unsigned c = 0; c < 8; ++c) Label(out, r + 1, c + 1, rows[r][c]);
  }
  return out + std::string("\x0a\x00\x00\x00", 4);
}

std::string CsvBytes(const THeader& header, const std::vector<TRow>& rows) {
  std::string out = Joined(header);
  for (const auto& row : rows) out += Joined(row);
  return out;
}

std::vector<std::string> ExcelTimes(const std::string& bytes) {
  std::vector<std::string> times;
  for (std::size_t at = 0; at + 4 <= bytes.size();) {
    const unsigned id = Get16(bytes, at), length = Get16(bytes, at + 2);
    if (at + 4 + length > bytes.size()) return {};
    if (id == 0x0204 && length >= 8) {
      const unsigned row = Get16(bytes, at + 4), column = Get16(bytes, at + 6);
      const unsigned size = Get16(bytes, at + 10);
      if (row > 0 && column == 2 && 8 + size <= length)
        times.push_back(bytes.substr(at + 12, size));
    }
    at += 4 + length;
  }
  return times;
}

std::vector<std::string> CsvTimes(const std::string& bytes) {
  std::vector<std::string> times;
  bool header = true;
  for (std::size_t at = 0; at < bytes.size();) {
    auto end = bytes.find("\n\r", at);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(at, end - at);
    at = end + 2;
    if (header) {
      header = false;
      continue;
    }
    const auto first = line.find(';');
    const auto second = first == std::string::npos ? first : line.find(';', first + 1);
    if (second == std::string::npos) return {};
    times.push_back(line.substr(first + 1, second - first - 1));
  }
  return times;
}

bool WithTimes(std::vector<TRow>& rows, const std::vector<std::string>& times) {
  if (rows.size() != times.size()) return false;
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i][1] = times[i];
  return true;
}

}  // namespace pzam::e2e
