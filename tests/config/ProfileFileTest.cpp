#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "common/Errors.h"
#include "common/TextEncoding.h"
#include "config/Profile.h"
#include "support/TempDir.h"

namespace pzam {
namespace {

using test::FileContent;
using test::TTempDir;
using test::WriteFile;

TEST(ProfileFile, MissingFileSectionOrKeyGiveTheDefault) {
  TTempDir dir;
  const auto ini = dir.File("PZAMConfig.ini");
  EXPECT_EQ("0", ReadProfileString(ini, "Serial", "COM", "0"));
  EXPECT_FALSE(std::filesystem::exists(ini));  // reading never creates the file
  WriteFile(ini, "[Serial]\nCOM=x\n");
  EXPECT_EQ("0", ReadProfileString(ini, "Select", "COM", "0"));
  EXPECT_EQ("0", ReadProfileString(ini, "Serial", "ReqMode", "0"));
  EXPECT_EQ("x", ReadProfileString(ini, "serial", "com", "0"));
  EXPECT_EQ("0", ReadProfileString(dir.Path(), "Serial", "COM", "0"));  // a directory
}

// A file saved as "Unicode" (UTF-16 LE with its mark) is read as UTF-16 and stays UTF-16 when
// written; a file that is only the mark becomes a UTF-16 file; other files stay 8-bit.
TEST(ProfileFile, Utf16FilesAreReadAndWrittenAsUtf16) {
  TTempDir dir;
  const auto ini = dir.File("u.ini");
  const auto utf16 = [](const std::string& text) { return "\xFF\xFE" + Utf8ToUtf16Le(text); };
  WriteFile(ini, utf16("[Serial]\r\nCOM=Datensätze €\r\n[Serial]\r\nLate=1\r\n"));
  EXPECT_EQ("Datensätze €", ReadProfileString(ini, "Serial", "COM", "0"));
  EXPECT_EQ("0", ReadProfileString(ini, "Serial", "Late", "0"));
  WriteProfileString(ini, "Serial", "ReqMode", "ä2");
  DeleteProfileKey(ini, "Serial", "COM");
  EXPECT_EQ(utf16("[Serial]\r\nReqMode=ä2\r\n[Serial]\r\nLate=1\r\n"), FileContent(ini));
  EXPECT_EQ("ä2", ReadProfileString(ini, "serial", "reqmode", "0"));

  WriteFile(ini, "\xFF\xFE");
  WriteProfileString(ini, "A", "k", "v");
  EXPECT_EQ(utf16("[A]\nk=v\n"), FileContent(ini));

  WriteFile(ini, "[A]\nk=\xE4\n");  // 8-bit text is read and written byte for byte
  EXPECT_EQ("\xE4", ReadProfileString(ini, "A", "k", "0"));
  WriteProfileString(ini, "A", "n", "1");
  EXPECT_EQ("[A]\nk=\xE4\nn=1\n", FileContent(ini));
  std::string text;
  ASSERT_TRUE(ReadProfileText(ini, text));
  EXPECT_FALSE(ReadProfileText(dir.File("none.ini"), text));
}

TEST(ProfileFile, NewFileHoldsSectionsInTheOrderWritten) {
  TTempDir dir;
  const auto ini = dir.File("PZAMConfig.ini");
  WriteProfileString(ini, "Serial", "COM", "SETTINGS");
  WriteProfileString(ini, "Select", "ReqMode", "0");
  WriteProfileString(ini, "Select", "FileMode", "1");
  WriteProfileString(ini, "Select", "CableType", "0");
  WriteProfileString(ini, "Select", "QuorvMode", "0");
  WriteProfileString(ini, "Language", "LastLanguage", "deutsch");
  const std::string expected =
      "[Serial]\nCOM=SETTINGS\n[Select]\nReqMode=0\nFileMode=1\nCableType=0\nQuorvMode=0\n"
      "[Language]\nLastLanguage=deutsch\n";
  EXPECT_EQ(expected, FileContent(ini));
  // Writing the same values again (the next program end) leaves the file as it is.
  WriteProfileString(ini, "Serial", "COM", "SETTINGS");
  WriteProfileString(ini, "Language", "LastLanguage", "deutsch");
  EXPECT_EQ(expected, FileContent(ini));
}

TEST(ProfileFile, EveryCallGoesToTheFile) {
  TTempDir dir;
  const auto ini = dir.File("a.ini");
  WriteProfileString(ini, "S", "k", "1");
  EXPECT_EQ("1", ReadProfileString(ini, "S", "k", "0"));
  WriteFile(ini, "[S]\nk=changed behind our back\n");
  EXPECT_EQ("changed behind our back", ReadProfileString(ini, "S", "k", "0"));
  WriteProfileString(ini, "S", "j", "2");
  EXPECT_EQ("[S]\nk=changed behind our back\nj=2\n", FileContent(ini));
}

TEST(ProfileFile, WritesKeepCommentsAndOtherLines) {
  TTempDir dir;
  const auto ini = dir.File("a.ini");
  const std::string original =
      "; written by hand\r\n[Ports]\r\nCOM5=/dev/ttyUSB0\r\n\r\n[Select]\r\nReqMode=2\r\n";
  WriteFile(ini, original);
  WriteProfileString(ini, "Select", "ReqMode", "3");
  WriteProfileString(ini, "Language", "LastLanguage", "english");
  EXPECT_EQ(
      "; written by hand\r\n[Ports]\r\nCOM5=/dev/ttyUSB0\r\n\r\n[Select]\r\nReqMode=3\r\n"
      "[Language]\r\nLastLanguage=english\r\n",
      FileContent(ini));
  DeleteProfileKey(ini, "ports", "com5");
  EXPECT_EQ("0", ReadProfileString(ini, "Ports", "COM5", "0"));
  EXPECT_EQ("3", ReadProfileString(ini, "Select", "ReqMode", "0"));
}

TEST(ProfileFile, WriteReplacesTheFileAtomicallyAndKeepsItsMode) {
  TTempDir dir;
  const auto ini = dir.File("a.ini");
  WriteFile(ini, "[S]\nk=1\n");
  ::chmod(ini.c_str(), 0640);
  struct stat before {};
  ASSERT_EQ(0, ::stat(ini.c_str(), &before));
  WriteProfileString(ini, "S", "k", "2");
  struct stat after {};
  ASSERT_EQ(0, ::stat(ini.c_str(), &after));
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file was renamed over the old one
  EXPECT_EQ(0640u, after.st_mode & 07777);
  // No temporary file is left behind.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
  EXPECT_EQ(1, entries);
}

TEST(ProfileFile, WriteThroughALinkReplacesItsTarget) {
  TTempDir dir;
  const auto target = dir.File("real.ini");
  const auto link = dir.File("PZAMConfig.ini");
  WriteFile(target, "[S]\nk=1\n");
  std::filesystem::create_symlink(target, link);
  WriteProfileString(link, "S", "k", "2");
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ("[S]\nk=2\n", FileContent(target));
}

// The error names the path as given and leaves the file untouched.
void ExpectIniFileError(const std::string& path, const std::function<void()>& write) {
  try {
    write();
    ADD_FAILURE() << "no error for " << path;
  } catch (const EIniFileError& e) {
    EXPECT_EQ("In " + path + " kann nicht geschrieben werden", std::string(e.what()));
  }
}

TEST(ProfileFile, UnwritableFilesRaiseTheIniFileError) {
  TTempDir dir;
  const auto readOnly = dir.File("ro.ini");
  WriteFile(readOnly, "[S]\nk=1\n");
  ::chmod(readOnly.c_str(), 0444);
  ExpectIniFileError(readOnly, [&] { WriteProfileString(readOnly, "S", "k", "2"); });
  ExpectIniFileError(readOnly, [&] { DeleteProfileKey(readOnly, "S", "k"); });
  EXPECT_EQ("[S]\nk=1\n", FileContent(readOnly));
  // Deleting a key that is not there writes nothing, so it cannot fail.
  EXPECT_NO_THROW(DeleteProfileKey(readOnly, "S", "missing"));

  const auto noDir = dir.File("missing/PZAMConfig.ini");
  ExpectIniFileError(noDir, [&] { WriteProfileString(noDir, "S", "k", "1"); });
  const auto isDir = dir.Path();
  ExpectIniFileError(isDir, [&] { WriteProfileString(isDir, "S", "k", "1"); });
}

TEST(ProfileFile, UnwritableDirectoryRaisesTheIniFileError) {
  if (::geteuid() == 0) GTEST_SKIP() << "the administrator may write into read-only directories";
  TTempDir dir;
  const auto ini = dir.File("PZAMConfig.ini");
  ::chmod(dir.Path().c_str(), 0555);
  ExpectIniFileError(ini, [&] { WriteProfileString(ini, "S", "k", "1"); });
}

TEST(ProfileFile, UnreadableFileIsNotOverwritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "the administrator can read every file";
  TTempDir dir;
  const auto ini = dir.File("a.ini");
  WriteFile(ini, "[S]\nk=1\n");
  ::chmod(ini.c_str(), 0200);
  ExpectIniFileError(ini, [&] { WriteProfileString(ini, "S", "j", "2"); });
  ::chmod(ini.c_str(), 0600);
  EXPECT_EQ("[S]\nk=1\n", FileContent(ini));
}

}  // namespace
}  // namespace pzam
