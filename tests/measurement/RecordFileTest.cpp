#include "measurement/RecordFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "TestFiles.h"
#include "common/Errors.h"

namespace pzam::measurement {
namespace {

using test::kBof;
using test::kEof;
using test::Label;
using test::ReadBytes;
using test::TFileSizeLimit;
using test::TTempDir;

const TRecordRow kZeros{"0", "0", "0", "0", "0", "0", "0", "0"};
const TRecordRow kRow1{"-----",    "09:05:03", "001",      "  12,345",
                       "  12,345", "     0,0", "  12,345", "  12,345"};

TEST(RecordFileName, DateTimeBatchExtension) {
  EXPECT_EQ(RecordFileName({2026, 12, 8, 9, 5, 3}, "-----", kSaveExcel),
            "20261208_90503_-----.xls");
  EXPECT_EQ(RecordFileName({2026, 12, 8, 14, 3, 27}, "A1", kSaveText), "20261208_140327_A1.csv");
  EXPECT_EQ(RecordFileName({2026, 1, 2, 0, 0, 7}, "", kSaveExcel), "20260102_7_.xls");
}

TEST(ExcelRecordFile, OneBofLabelsAndEofAfterEveryRow) {
  TTempDir dir;
  auto file = CreateRecordFile(kSaveExcel, dir.Dir().string(), "r.xls", kZeros);
  const std::string path = dir.File("r.xls");
  // The first 25 bytes: BOF, then the LABEL of row 0, column 1, text "0".
  const std::string first25(
      "\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00"
      "\x04\x02\x09\x00\x00\x00\x01\x00\x00\x00\x01\x00\x30",
      25);
  std::string header = kBof;
  for (int c = 1; c <= 8; ++c) header += Label(0, c, "0");
  EXPECT_EQ(ReadBytes(path).substr(0, 25), first25);
  EXPECT_EQ(ReadBytes(path), header + kEof);  // valid right after creation

  file->WriteRow(kRow1);
  std::string row1;
  for (int c = 1; c <= 8; ++c) row1 += Label(1, c, kRow1[c - 1]);
  EXPECT_EQ(ReadBytes(path), header + row1 + kEof);
  // The count text 001 in row 1, column 3.
  EXPECT_NE(ReadBytes(path).find(std::string("\x04\x02\x0B\x00\x01\x00\x03\x00\x00\x00\x03\x00"
                                             "001",
                                             15)),
            std::string::npos);

  TRecordRow row2 = kRow1;
  row2[0] = "";  // an empty batch number gives L = 0
  file->WriteRow(row2);
  std::string row2Bytes;
  for (int c = 1; c <= 8; ++c) row2Bytes += Label(2, c, row2[c - 1]);
  EXPECT_EQ(row2Bytes.substr(0, 12),
            std::string("\x04\x02\x08\x00\x02\x00\x01\x00\x00\x00\x00\x00", 12));
  file->Close();
  EXPECT_EQ(ReadBytes(path), header + row1 + row2Bytes + kEof);
  EXPECT_THROW(file->WriteRow(kRow1), EWriteError);
}

TEST(ExcelRecordFile, LabelTextIsWindows1252) {
  TTempDir dir;
  const TRecordRow headers{"Maß", "Zeit €", "ő", "A", "B", "C", "D", "E"};
  CreateRecordFile(kSaveExcel, dir.Dir().string(), "r.xls", headers)->Close();
  const std::string bytes = ReadBytes(dir.File("r.xls"));
  EXPECT_EQ(bytes.substr(12, 15), Label(0, 1, "Ma\xDF"));
  EXPECT_EQ(bytes.substr(27, 18), Label(0, 2, "Zeit \x80"));
  EXPECT_EQ(bytes.substr(45, 13), Label(0, 3, "?"));
}

TEST(TextRecordFile, LinesEndWithLfCr) {
  TTempDir dir;
  auto file = CreateRecordFile(kSaveText, dir.Dir().string(), "r.csv", kZeros);
  EXPECT_EQ(ReadBytes(dir.File("r.csv")), "0;0;0;0;0;0;0;0\x0A\x0D");
  TRecordRow row = kRow1;
  row[0] = "Maß;1";  // the text file keeps the system's encoding; nothing is escaped
  file->WriteRow(row);
  file->Close();
  EXPECT_EQ(
      ReadBytes(dir.File("r.csv")),
      "0;0;0;0;0;0;0;0\n\rMaß;1;09:05:03;001;  12,345;  12,345;     0,0;  12,345;  12,345\n\r");
}

TEST(RecordFile, BatchWithPathSeparatorIsRefused) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Dir() / "20261208_90503_a");
  const std::string name = "20261208_90503_a/b.xls";
  try {
    CreateRecordFile(kSaveExcel, dir.Dir().string(), name, kZeros);
    FAIL() << "created";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(
        std::string(e.what()),
        "Datei \"" + dir.File(name) + "\" kann nicht erstellt werden. " + SystemErrorText(EINVAL));
  }
  try {
    CreateRecordFile(kSaveText, dir.Dir().string(), "20261208_90503_a/b.csv", kZeros);
    FAIL() << "created";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Ungültiger Dateiname");
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir.Dir() / "20261208_90503_a"));
}

TEST(RecordFile, CreationFailureTexts) {
  TTempDir dir;
  const std::string missing = (dir.Dir() / "missing").string();
  try {
    CreateRecordFile(kSaveExcel, missing, "r.xls", kZeros);
    FAIL() << "created";
  } catch (const EFCreateError& e) {
    EXPECT_EQ(std::string(e.what()), "Datei \"" + (dir.Dir() / "missing" / "r.xls").string() +
                                         "\" kann nicht erstellt werden. " +
                                         SystemErrorText(ENOENT));
  }
  try {
    CreateRecordFile(kSaveText, missing, "r.csv", kZeros);
    FAIL() << "created";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Datei nicht gefunden");
  }
  EXPECT_EQ(CreateRecordFile(kSaveNone, missing, "r", kZeros), nullptr);
}

TEST(RecordFile, FailedRowLeavesTheRowsBeforeComplete) {
  if (!TFileSizeLimit::Available()) GTEST_SKIP() << "no file size limit on this system";
  for (int mode : {kSaveExcel, kSaveText}) {
    TTempDir dir;
    auto file = CreateRecordFile(mode, dir.Dir().string(), "r", kZeros);
    file->WriteRow(kRow1);
    const std::string before = ReadBytes(dir.File("r"));
    {
      TFileSizeLimit limit(before.size() + 20);  // room for part of the next row only
      if (mode == kSaveExcel) {
        EXPECT_THROW(file->WriteRow(kRow1), EWriteError);
      } else {
        EXPECT_THROW(file->WriteRow(kRow1), EInOutError);
      }
    }
    EXPECT_EQ(ReadBytes(dir.File("r")), before) << mode;
    file->WriteRow(kRow1);  // the next row goes on where the good ones end
    file->Close();
    const std::string after = ReadBytes(dir.File("r"));
    if (mode == kSaveExcel) {
      std::string row2;
      for (int c = 1; c <= 8; ++c) row2 += Label(2, c, kRow1[c - 1]);
      EXPECT_EQ(after, before.substr(0, before.size() - 4) + row2 + kEof);
    } else {
      EXPECT_EQ(after,
                before + "-----;09:05:03;001;  12,345;  12,345;     0,0;  12,345;  12,345\n\r");
    }
  }
}

}  // namespace
}  // namespace pzam::measurement
