// Test helpers for files: the shared temporary folder, reading a file whole, a file size limit, and
// the BIFF records of the Excel record file written out by hand.
#pragma once

#include <string>

#include "support/FileSizeLimit.h"
#include "support/TempDir.h"

namespace pzam::measurement::test {

using pzam::test::TTempDir;

inline std::string ReadBytes(const std::string& path) {
  return pzam::test::FileContent(path);
}

using pzam::test::TFileSizeLimit;

inline const std::string kBof("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);
inline const std::string kEof("\x0A\x00\x00\x00", 4);

// A LABEL record: id, length, row, column, format 0, text length, text (short texts only).
inline std::string Label(int row, int col, const std::string& text) {
  const int n = static_cast<int>(text.size());
  const char head[] = {
      0x04, 0x02, static_cast<char>(8 + n), 0, static_cast<char>(row), 0, static_cast<char>(col), 0,
      0,    0,    static_cast<char>(n),     0};
  return std::string(head, 12) + text;
}

// The LABELs of one row, columns 1 to 8.
template <class Row>
std::string Labels(int row, const Row& cells) {
  std::string out;
  for (int c = 1; c <= 8; ++c) out += Label(row, c, cells[c - 1]);
  return out;
}

}  // namespace pzam::measurement::test
