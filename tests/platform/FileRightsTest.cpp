// File rights through the platform's calls: files for this user alone, and who else may read. The
// rights of groups are each side's own (posix/PosixTest.cpp, win32/Win32Test.cpp).
#include "platform/FileRights.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "Scratch.h"
#include "platform/Files.h"
#include "support/TestRights.h"

namespace pzam::platform {
namespace {

using pzam::test::TTestRights;
using test::Get;
using test::Put;
using test::TScratch;

TEST(PlatformFileRights, WhoElseMayRead) {
  struct {
    TTestRights rights;
    bool others;
  } cases[] = {
      {TTestRights::OwnerReadWrite, false},
      {TTestRights::OwnerRead, false},
      {TTestRights::OthersRead, true},
  };
  TScratch dir;
  for (const auto& c : cases) {
    const std::string path = dir.File("f" + std::to_string(static_cast<int>(c.rights)));
    Put(path, "x");
    ASSERT_TRUE(pzam::test::GiveRights(path, c.rights)) << static_cast<int>(c.rights);
    bool others = !c.others;
    EXPECT_TRUE(OthersMayRead(path, others)) << static_cast<int>(c.rights);
    EXPECT_EQ(c.others, others) << static_cast<int>(c.rights);
  }
  bool others = false;
  errno = 0;
  EXPECT_FALSE(OthersMayRead(dir.File("missing"), others));
  EXPECT_EQ(ENOENT, errno);
}

TEST(PlatformFileRights, OwnerOnlyFilesAreMadeAndOldOnesKept) {
  TScratch dir;
  const std::string made = dir.File("made"), old = dir.File("old");
  ASSERT_TRUE(CreateOwnerOnlyFile(made));
  EXPECT_EQ(TEntryKind::File, EntryKind(made));
  EXPECT_EQ("", Get(made));
  bool others = true;
  ASSERT_TRUE(OthersMayRead(made, others));
  EXPECT_FALSE(others);
  // The owner may write it.
  const int fd = OpenForWriting(made, TOpenMode::AppendExisting);
  ASSERT_GE(fd, 0);
  EXPECT_TRUE(WriteAll(fd, "mine"));
  EXPECT_TRUE(CloseFile(fd));
  EXPECT_EQ("mine", Get(made));

  // An existing file keeps its content and its rights.
  Put(old, "kept");
  ASSERT_TRUE(pzam::test::GiveRights(old, TTestRights::OthersRead));
  ASSERT_TRUE(CreateOwnerOnlyFile(old));
  EXPECT_EQ("kept", Get(old));
  ASSERT_TRUE(OthersMayRead(old, others));
  EXPECT_TRUE(others);

  errno = 0;
  EXPECT_FALSE(CreateOwnerOnlyFile(dir.File("no-folder") + PreferredSeparator() + "f"));
  EXPECT_EQ(ENOENT, errno);
}

// A settings file that comes to hold a password file's name becomes the owner's alone.
TEST(PlatformFileRights, AnExistingFileIsRestrictedToItsOwner) {
  TScratch dir;
  for (TTestRights rights : {TTestRights::OthersRead, TTestRights::OwnerReadWrite}) {
    const std::string path = dir.File("settings" + std::to_string(static_cast<int>(rights)));
    Put(path, "[Plant]");
    ASSERT_TRUE(pzam::test::GiveRights(path, rights));
    ASSERT_TRUE(RestrictToOwner(path));
    bool others = true;
    ASSERT_TRUE(OthersMayRead(path, others));
    EXPECT_FALSE(others) << static_cast<int>(rights);
    EXPECT_EQ("[Plant]", Get(path));
    const int fd = OpenForWriting(path, TOpenMode::AppendExisting);
    EXPECT_GE(fd, 0) << "the owner may still write it";
    if (fd >= 0) CloseFile(fd);
  }
  errno = 0;
  EXPECT_FALSE(RestrictToOwner(dir.File("missing")));
  EXPECT_NE(0, errno);
}

TEST(PlatformFileRights, CopiedRightsReplaceTheOldOnes) {
  TScratch dir;
  struct {
    TTestRights from, to;
    bool others;
  } cases[] = {{TTestRights::OwnerReadWrite, TTestRights::OthersRead, false},
               {TTestRights::OthersRead, TTestRights::OwnerReadWrite, true},
               {TTestRights::OwnerRead, TTestRights::OthersRead, false}};
  for (const auto& c : cases) {
    const std::string from = dir.File("from"), to = dir.File("to");
    Put(from, "a");
    Put(to, "b");
    ASSERT_TRUE(pzam::test::GiveRights(from, c.from));
    ASSERT_TRUE(pzam::test::GiveRights(to, c.to));
    ASSERT_TRUE(CopyRights(from, to));
    bool others = !c.others;
    ASSERT_TRUE(OthersMayRead(to, others));
    EXPECT_EQ(c.others, others) << static_cast<int>(c.from);
    EXPECT_EQ("b", Get(to));
    ASSERT_TRUE(pzam::test::GiveRights(from, TTestRights::OwnerReadWrite));
    ASSERT_TRUE(pzam::test::GiveRights(to, TTestRights::OwnerReadWrite));
    RemoveFile(from);
    RemoveFile(to);
  }
  errno = 0;
  EXPECT_FALSE(CopyRights(dir.File("missing"), dir.File("missing-too")));
}

}  // namespace
}  // namespace pzam::platform
