#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace pzam {
namespace {

TEST(Errors, InOutErrorTextsFollowTheNumber) {
  EXPECT_STREQ("Datei nicht gefunden", EInOutError(2).what());
  EXPECT_STREQ("Dateizugriff verweigert", EInOutError(5).what());
  EXPECT_STREQ("Zu wenig Speicherplatz", EInOutError(101).what());
  EXPECT_STREQ("E/A-Fehler 1234", EInOutError(1234).what());
  EXPECT_EQ(101, EInOutError::CodeFromErrno(ENOSPC));
  EXPECT_EQ(5, EInOutError::CodeFromErrno(EACCES));
  EXPECT_EQ(2, EInOutError::CodeFromErrno(ENOENT));
}

TEST(Errors, CreateAndIniErrorsNameThePath) {
  EXPECT_STREQ("Datei \"/x/a.xls\" kann nicht erstellt werden. Permission denied",
               EFCreateError("/x/a.xls", "Permission denied").what());
  EXPECT_STREQ("In /x/PZAMConfig.ini kann nicht geschrieben werden",
               EIniFileError("/x/PZAMConfig.ini").what());
}

}  // namespace
}  // namespace pzam
