// Record files and the settings file's rewrite against the system's sync calls: what is on the
// file at every sync, and what a sync that fails does. This executable puts its own fdatasync and
// fsync in front of the C library's: they note the synced file's content and can fail with a
// chosen error, then make the real system call.
#include <sys/syscall.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <optional>

#include "TestFiles.h"
#include "common/Errors.h"
#include "config/AtomicFile.h"
#include "measurement/RecordFile.h"

namespace pzam::measurement {
namespace {

struct TSync {
  std::string Path;     // the synced file or folder
  std::string Content;  // a file's bytes at the sync (empty for a folder)
  std::string Target;   // bytes of the watched path at the sync
};

struct TSyncWatch {
  std::vector<TSync> Syncs;
  std::string WatchedPath;
  int FailAt = -1;  // index of the sync to fail (counted from 0), -1: none
  int Errno = EIO;
};

TSyncWatch* gWatch = nullptr;

// Sets the watch for one test case.
class TWatching {
 public:
  explicit TWatching(TSyncWatch& w) { gWatch = &w; }
  ~TWatching() { gWatch = nullptr; }
};

int Interposed(int fd, long call) {
  if (gWatch) {
    char link[64], path[PATH_MAX];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = ::readlink(link, path, sizeof path - 1);
    TSync sync;
    sync.Path = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "?";
    if (std::filesystem::is_regular_file(sync.Path)) sync.Content = test::ReadBytes(sync.Path);
    if (!gWatch->WatchedPath.empty() && std::filesystem::exists(gWatch->WatchedPath))
      sync.Target = test::ReadBytes(gWatch->WatchedPath);
    gWatch->Syncs.push_back(sync);
    if (static_cast<int>(gWatch->Syncs.size()) - 1 == gWatch->FailAt) {
      errno = gWatch->Errno;
      return -1;
    }
  }
  return static_cast<int>(::syscall(call, fd));
}

}  // namespace
}  // namespace pzam::measurement

extern "C" int fdatasync(int fd) noexcept {
  return pzam::measurement::Interposed(fd, SYS_fdatasync);
}
extern "C" int fsync(int fd) noexcept {
  return pzam::measurement::Interposed(fd, SYS_fsync);
}

namespace pzam::measurement {
namespace {

// The record file helpers of these tests (TestFiles.h).
using namespace test;

const TRecordRow kHeader{"Charge",     "Uhrzeit",      "Nr.",     "Messwert",
                         "Mittelwert", "Standardabw.", "Maximum", "Minimum"};
TRecordRow Row(int n) {
  const std::string count = std::string(n < 10 ? "00" : "0") + std::to_string(n);
  return {"K7",       "09:05:0" + std::to_string(n % 10),
          count,      "  12,34" + std::to_string(n % 10),
          "  12,345", "   0,001",
          "  12,349", "  12,340"};
}

unsigned Get16(const std::string& b, std::size_t at) {
  return static_cast<unsigned char>(b[at]) | (static_cast<unsigned char>(b[at + 1]) << 8);
}

// The value rows of a worksheet as a reader sees it: BOF, LABEL records of the header row and of
// whole value rows in order, an EOF record; whatever follows the EOF record is not read. Empty
// when the bytes are no such worksheet.
std::optional<int> WorksheetRows(const std::string& b) {
  if (b.compare(0, kBof.size(), kBof) != 0) return std::nullopt;
  int labels = 0;
  for (std::size_t at = kBof.size(); at + 4 <= b.size();) {
    const unsigned id = Get16(b, at), length = Get16(b, at + 2);
    if (id == 0x000A && length == 0) {
      if (labels % 8 != 0 || labels == 0) return std::nullopt;
      return labels / 8 - 1;
    }
    if (id != 0x0204 || at + 4 + length > b.size()) return std::nullopt;
    if (Get16(b, at + 4) != static_cast<unsigned>(labels / 8) ||
        Get16(b, at + 6) != static_cast<unsigned>(labels % 8 + 1))
      return std::nullopt;
    ++labels;
    at += 4 + length;
  }
  return std::nullopt;
}

std::string ExcelOf(int rows) {
  std::string bytes = kBof + Labels(0, kHeader);
  for (int r = 1; r <= rows; ++r) bytes += Labels(r, Row(r));
  return bytes + kEof;
}

std::string CsvLine(const TRecordRow& row) {
  std::string line = row[0];
  for (std::size_t i = 1; i < row.size(); ++i) line += ";" + row[i];
  return line + "\n\r";
}

std::string CsvOf(int rows) {
  std::string bytes = CsvLine(kHeader);
  for (int r = 1; r <= rows; ++r) bytes += CsvLine(Row(r));
  return bytes;
}

std::vector<TSync> SyncsOf(const TSyncWatch& w, const std::string& path) {
  std::vector<TSync> of;
  for (const auto& s : w.Syncs)
    if (s.Path == path) of.push_back(s);
  return of;
}

// Creates the record file `name` with its header while the syncs are watched: the header is
// synced, then the folder that now names the file. Returns the file's full path.
std::string CreateWatched(std::unique_ptr<IRecordFile>& file, int mode, const TTempDir& dir,
                          const std::string& name, const TSyncWatch& watch,
                          const std::string& header) {
  const std::string path = std::filesystem::canonical(dir.Dir()).string() + "/" + name;
  file = CreateRecordFile(mode, dir.Dir().string(), name, kHeader);
  EXPECT_EQ(watch.Syncs.size(), 2u);
  if (watch.Syncs.size() == 2) {
    EXPECT_EQ(watch.Syncs[0].Content, header);
    EXPECT_EQ(watch.Syncs[1].Path + "/" + name, path);
  }
  return path;
}

// Every row is on the disk before WriteRow returns: a text line in one sync, an Excel row in two
// (the worksheet ends at the old EOF record while the row's tail goes behind it, then the row is
// in), and nothing is written after the last sync.
void CheckEveryRowSynced(int mode) {
  const bool excel = mode == kSaveExcel;
  const auto content = [excel](int rows) { return excel ? ExcelOf(rows) : CsvOf(rows); };
  const std::size_t perRow = excel ? 2 : 1;
  TTempDir dir;
  TSyncWatch watch;
  TWatching on(watch);
  std::unique_ptr<IRecordFile> file;
  const std::string path =
      CreateWatched(file, mode, dir, excel ? "r.xls" : "r.csv", watch, content(0));
  ASSERT_TRUE(file);
  for (int r = 1; r <= 4; ++r) {
    file->WriteRow(Row(r));
    const auto syncs = SyncsOf(watch, path);
    ASSERT_EQ(syncs.size(), 1 + perRow * r);
    if (excel) {
      EXPECT_EQ(WorksheetRows(syncs[2 * r - 1].Content), r - 1) << r;
    }
    EXPECT_EQ(syncs.back().Content, content(r));
    EXPECT_EQ(ReadBytes(path), content(r));
  }
  file->Close();
}

TEST(DurableRecordFile, ExcelRowIsOnTheDiskAndTheWorksheetValidAtEverySync) {
  CheckEveryRowSynced(kSaveExcel);
}

TEST(DurableRecordFile, TextLineIsOnTheDiskBeforeTheRowReturns) {
  CheckEveryRowSynced(kSaveText);
}

// A sync that fails means the row may not be on the disk: it is a failed row, reported like a
// failed write, and taken out of the file again so that the file holds exactly the rows that
// were reported written. A file system that has no sync at all (EINVAL) still takes the row.
TEST(DurableRecordFile, FailedSyncIsAFailedRowAndTheNextRowGoesOn) {
  struct TCase {
    int Mode;
    int SyncOfRow;  // which sync of the second row fails (Excel has two)
    int Errno;
    bool Fails;
  };
  const TCase cases[] = {
      {kSaveExcel, 0, EIO, true},     {kSaveExcel, 1, EIO, true}, {kSaveExcel, 1, ENOSPC, true},
      {kSaveExcel, 0, EINVAL, false}, {kSaveText, 0, EIO, true},  {kSaveText, 0, EDQUOT, true},
      {kSaveText, 0, EINVAL, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "mode " << c.Mode << " sync " << c.SyncOfRow << " errno " << c.Errno);
    TTempDir dir;
    TSyncWatch watch;
    TWatching on(watch);
    const bool excel = c.Mode == kSaveExcel;
    auto file = CreateRecordFile(c.Mode, dir.Dir().string(), "r", kHeader);
    file->WriteRow(Row(1));
    watch.FailAt = static_cast<int>(watch.Syncs.size()) + c.SyncOfRow;
    watch.Errno = c.Errno;
    bool threw = false;
    try {
      file->WriteRow(Row(2));
    } catch (const EWriteError&) {
      threw = excel;
    } catch (const EInOutError& e) {
      threw = !excel;
      EXPECT_EQ(e.ErrorCode(), EInOutError::CodeFromErrno(c.Errno));
    }
    EXPECT_EQ(threw, c.Fails);
    const int kept = c.Fails ? 1 : 2;
    EXPECT_EQ(ReadBytes(dir.File("r")), excel ? ExcelOf(kept) : CsvOf(kept));
    // The next value's row takes the failed row's place and number.
    file->WriteRow(Row(kept + 1));
    EXPECT_EQ(ReadBytes(dir.File("r")), excel ? ExcelOf(kept + 1) : CsvOf(kept + 1));
  }
}

TEST(DurableRecordFile, HeaderThatCannotBeSyncedFailsTheCreation) {
  for (int failAt : {0, 1}) {  // the file's sync, the folder's sync
    TTempDir dir;
    TSyncWatch watch;
    watch.FailAt = failAt;
    TWatching on(watch);
    EXPECT_THROW(CreateRecordFile(kSaveExcel, dir.Dir().string(), "r.xls", kHeader), EWriteError);
    watch.Syncs.clear();
    EXPECT_THROW(CreateRecordFile(kSaveText, dir.Dir().string(), "r.csv", kHeader), EInOutError);
  }
}

TEST(DurableSettingsFile, NewFileSyncedBeforeTheRenameAndTheFolderAfterIt) {
  TTempDir dir;
  const std::string path = std::filesystem::canonical(dir.Dir()).string() + "/PZAMConfig.ini";
  pzam::test::WriteFile(path, "[Select]\nReqMode=0\n");
  TSyncWatch watch;
  watch.WatchedPath = path;
  TWatching on(watch);
  ASSERT_TRUE(WriteFileAtomically(path, "[Select]\nReqMode=3\n"));
  ASSERT_EQ(watch.Syncs.size(), 2u);
  // The temporary file holds the new text while the old file is still in place ...
  EXPECT_NE(watch.Syncs[0].Path, path);
  EXPECT_EQ(watch.Syncs[0].Content, "[Select]\nReqMode=3\n");
  EXPECT_EQ(watch.Syncs[0].Target, "[Select]\nReqMode=0\n");
  // ... and the folder is synced once the new file has the name.
  EXPECT_EQ(watch.Syncs[1].Path + "/PZAMConfig.ini", path);
  EXPECT_EQ(watch.Syncs[1].Target, "[Select]\nReqMode=3\n");
}

TEST(DurableSettingsFile, FailedSyncIsAFailedWrite) {
  struct TCase {
    int FailAt;
    const char* Left;  // the settings file afterwards
  };
  // A failed sync of the new file keeps the old one; a failed folder sync leaves the new one in
  // place but reports that it may not survive a power cut.
  for (const TCase& c : {TCase{0, "old\n"}, TCase{1, "new\n"}}) {
    TTempDir dir;
    const std::string path = dir.File("PZAMConfig.ini");
    pzam::test::WriteFile(path, "old\n");
    TSyncWatch watch;
    watch.FailAt = c.FailAt;
    TWatching on(watch);
    EXPECT_FALSE(WriteFileAtomically(path, "new\n")) << c.FailAt;
    EXPECT_EQ(ReadBytes(path), c.Left);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Dir()), {}), 1)
        << "no temporary file left";
  }
}

}  // namespace
}  // namespace pzam::measurement
