// Files and syncing through the platform's calls: open modes, positioned writes, the replace that
// keeps the old file when it cannot complete, and names beyond ASCII.
#include "platform/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <vector>

#include "Scratch.h"
#include "config/AtomicFile.h"

namespace pzam::platform {
namespace {

using test::Get;
using test::Put;
using test::TScratch;

TEST(PlatformFiles, OpenModes) {
  struct {
    const char* name;
    bool exists;
    TOpenMode mode;
    bool opens;
    int err;
    const char* after;  // content after writing "new"
  } cases[] = {
      {"create a new file", false, TOpenMode::Create, true, 0, "new"},
      {"create empties an old one", true, TOpenMode::Create, true, 0, "new"},
      {"read-write empties too", true, TOpenMode::CreateReadWrite, true, 0, "new"},
      {"create-new refuses an old one", true, TOpenMode::CreateNew, false, EEXIST, "old!"},
      {"create-new makes a missing one", false, TOpenMode::CreateNew, true, 0, "new"},
      {"append adds at the end", true, TOpenMode::AppendExisting, true, 0, "old!new"},
      {"append needs the file", false, TOpenMode::AppendExisting, false, ENOENT, nullptr},
  };
  for (const auto& c : cases) {
    TScratch dir;
    const std::string path = dir.File("f.txt");
    if (c.exists) Put(path, "old!");
    errno = 0;
    const int fd = OpenForWriting(path, c.mode);
    EXPECT_EQ(c.opens, fd >= 0) << c.name;
    if (fd >= 0) {
      EXPECT_TRUE(WriteAll(fd, "new")) << c.name;
      EXPECT_TRUE(CloseFile(fd)) << c.name;
    } else {
      EXPECT_EQ(c.err, errno) << c.name;
    }
    if (c.after != nullptr) {
      EXPECT_EQ(c.after, Get(path)) << c.name;
    }
    if (c.after == nullptr) {
      EXPECT_EQ(TEntryKind::None, EntryKind(path)) << c.name;
    }
  }
}

TEST(PlatformFiles, PositionedWritesSizeAndTruncation) {
  TScratch dir;
  const std::string path = dir.File("rows.bin");
  const int fd = OpenForWriting(path, TOpenMode::CreateReadWrite);
  ASSERT_GE(fd, 0);
  struct {
    const char* step;
    long long at;  // -1: the end
    const char* bytes;
    long long cut;  // -1: none
    std::string content;
  } steps[] = {{"first write", 0, "abcdef", -1, "abcdef"},
               {"overwrite inside", 2, "XY", -1, "abXYef"},
               {"cut back", -1, "", 3, "abX"},
               {"append at the end", -1, "Z", -1, "abXZ"},
               {"write past the end", 6, "!", -1, std::string("abXZ\0\0!", 7)}};
  for (const auto& s : steps) {
    if (s.cut >= 0) {
      EXPECT_TRUE(TruncateFile(fd, s.cut)) << s.step;
    } else {
      EXPECT_TRUE(SeekTo(fd, s.at) && WriteAll(fd, s.bytes)) << s.step;
    }
    EXPECT_TRUE(SyncData(fd)) << s.step;
    EXPECT_EQ(static_cast<long long>(s.content.size()), FileSize(fd)) << s.step;
    EXPECT_EQ(s.content, Get(path)) << s.step;
  }
  EXPECT_TRUE(SyncFile(fd));
  EXPECT_TRUE(CloseFile(fd));
  EXPECT_EQ(std::string("abXZ\0\0!", 7), Get(path));
  EXPECT_EQ(-1, FileSize(-1));
  EXPECT_FALSE(WriteAll(-1, "x"));
}

TEST(PlatformFiles, ReplaceKeepsTheOldFileWhenItCannotComplete) {
  struct {
    const char* name;
    bool source, target, targetIsFolder;
    bool replaced;
  } cases[] = {
      {"new file takes the old one's place", true, true, false, true},
      {"new file takes a free name", true, false, false, true},
      {"no new file: the old one stays", false, true, false, false},
      {"a folder in the way stays", true, false, true, false},
  };
  for (const auto& c : cases) {
    TScratch dir;
    const std::string from = dir.File("PZAMConfig.ini.tmp1_0"), to = dir.File("PZAMConfig.ini");
    if (c.source) Put(from, "new");
    if (c.target) Put(to, "old");
    if (c.targetIsFolder) {
      ASSERT_TRUE(CreateFolders(to + PreferredSeparator() + "inside"));
    }
    EXPECT_EQ(c.replaced, ReplaceAtomically(from, to)) << c.name;
    if (c.replaced) {
      EXPECT_EQ("new", Get(to)) << c.name;
      EXPECT_EQ(TEntryKind::None, EntryKind(from)) << c.name;
    } else {
      EXPECT_NE(0, errno) << c.name;
      if (c.target) {
        EXPECT_EQ("old", Get(to)) << c.name;
      }
      if (c.targetIsFolder) {
        EXPECT_EQ(TEntryKind::Folder, EntryKind(to)) << c.name;
      }
    }
  }
}

TEST(PlatformFiles, AtomicWriteThatCannotCompleteKeepsTheOldContent) {
  struct {
    const char* name;
    bool readOnly, folder, missingFolder;
  } cases[] = {{"read-only file", true, false, false},
               {"a folder of that name", false, true, false},
               {"no folder to write in", false, false, true}};
  for (const auto& c : cases) {
    TScratch dir;
    std::string path = dir.File("PZAMConfig.ini");
    if (c.missingFolder) path = dir.File("gone") + PreferredSeparator() + "PZAMConfig.ini";
    if (c.folder) {
      ASSERT_TRUE(CreateFolders(path));
    }
    if (!c.folder && !c.missingFolder) Put(path, "[Select]\nReqMode=2\n");
    if (c.readOnly) {
      std::filesystem::permissions(FsPath(path),
                                   std::filesystem::perms::owner_write |
                                       std::filesystem::perms::group_write |
                                       std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove);
      EXPECT_FALSE(FileWritable(path)) << c.name;
    }
    EXPECT_FALSE(WriteFileAtomically(path, "[Select]\nReqMode=3\n")) << c.name;
    if (!c.folder && !c.missingFolder) {
      EXPECT_EQ("[Select]\nReqMode=2\n", Get(path)) << c.name;
    }
    // No temporary file is left behind.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(FsPath(dir.Path())))
      ++entries;
    EXPECT_EQ(c.missingFolder ? 0u : 1u, entries) << c.name;
  }
}

TEST(PlatformFiles, Utf8NamesAreCreatedFoundAndReadBack) {
  TScratch dir;
  // A batch number and a folder as an operator types them.
  const std::string folder = dir.File("Prüfstand Größe");
  const std::string names[] = {"20261208_90503_Müller-ÄÖÜ.csv", "20261208_90504_µm ß €.xls",
                               "PZAMConfig.ini"};
  ASSERT_TRUE(CreateFolders(folder));
  EXPECT_EQ(TEntryKind::Folder, EntryKind(folder));
  EXPECT_TRUE(FolderWritable(folder));
  for (const std::string& name : names) {
    const std::string path = folder + PreferredSeparator() + name;
    ASSERT_TRUE(test::Write(path, TOpenMode::Create, "Charge;" + name + "\n\r")) << name;
    EXPECT_EQ(TEntryKind::File, EntryKind(path)) << name;
    EXPECT_TRUE(FileWritable(path)) << name;
    EXPECT_EQ("Charge;" + name + "\n\r", Get(path)) << name;
    EXPECT_TRUE(WriteFileAtomically(path, name)) << name;
    EXPECT_EQ(name, Get(path)) << name;
  }
  // The folder lists the names as they were written.
  std::vector<std::string> listed;
  for (const auto& e : std::filesystem::directory_iterator(FsPath(folder)))
    listed.push_back(Utf8Path(e.path().filename()));
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected(std::begin(names), std::end(names));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, listed);
  const std::string renamed = folder + PreferredSeparator() + "Lösung.csv";
  EXPECT_TRUE(ReplaceAtomically(folder + PreferredSeparator() + names[0], renamed));
  EXPECT_EQ(names[0], Get(renamed));
  EXPECT_TRUE(RemoveFile(renamed));
  EXPECT_EQ(TEntryKind::None, EntryKind(renamed));
  EXPECT_FALSE(RemoveFile(renamed));
}

}  // namespace
}  // namespace pzam::platform
