// Paths and the program's folder, as every system has them.
#include "platform/Folders.h"

#include <gtest/gtest.h>

#include "Scratch.h"
#include "common/Paths.h"
#include "platform/Users.h"

namespace pzam::platform {
namespace {

using test::TScratch;

TEST(PlatformFolders, ExecutableIsThisTestProgram) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(TEntryKind::File, EntryKind(exe));
  EXPECT_TRUE(FsPath(exe).is_absolute()) << exe;
  EXPECT_EQ("platform_test", Utf8Path(FsPath(exe).stem()));
  const std::string dir = ExecutableDir();
  ASSERT_FALSE(dir.empty());
  EXPECT_TRUE(IsPathSeparator(dir.back())) << dir;
  EXPECT_EQ(TEntryKind::Folder, EntryKind(dir));
}

TEST(PlatformFolders, CreateFoldersMakesWhatIsMissing) {
  TScratch dir;
  test::Put(dir.File("file"), "x");
  const char sep = PreferredSeparator();
  struct {
    std::string dir;
    bool created;
  } cases[] = {
      {dir.File("cfg") + sep + "pzam", true},
      {dir.File("cfg") + sep + "pzam" + sep, true},  // there already, with a separator at the end
      {dir.File("Größe") + sep + "Prüfung", true},
      {dir.File("file") + sep + "pzam", false},  // a file where a folder should be
      {dir.File("file"), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.created, CreateFolders(c.dir)) << c.dir;
    if (c.created) {
      EXPECT_EQ(TEntryKind::Folder, EntryKind(c.dir)) << c.dir;
    }
  }
  EXPECT_TRUE(CreateFolders(""));  // the current folder
}

TEST(PlatformFolders, WritableFoldersTakeFilesAndLeaveNoneBehind) {
  TScratch dir;
  EXPECT_TRUE(FolderWritable(dir.Path()));
  EXPECT_TRUE(FolderWritable(dir.File("")));
  EXPECT_FALSE(FolderWritable(dir.File("missing")));
  EXPECT_FALSE(FolderWritable(dir.File("missing") + PreferredSeparator()));
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(FsPath(dir.Path())))
    ++entries;
  EXPECT_EQ(0u, entries);  // a probe file does not stay
}

TEST(PlatformFolders, PathsRoundTripThroughTheSystemsForm) {
  for (const std::string utf8 : {"plain.ini", "Müller/ÄÖÜäöüß.csv", "µm €", "日本語.xls", ""})
    EXPECT_EQ(utf8, Utf8Path(FsPath(utf8))) << utf8;
}

TEST(PlatformUsers, TheUserHasANameAndAHome) {
  EXPECT_FALSE(UserName().empty());
  const std::string home = HomeFolder();
  ASSERT_FALSE(home.empty());
  EXPECT_EQ(TEntryKind::Folder, EntryKind(home)) << home;
}

}  // namespace
}  // namespace pzam::platform
