#include "common/Errors.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>

#include "common/ReasonTexts.h"
#include "support/TempDir.h"

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

// German system texts where the German messages locale is installed (built here from the
// system's locale sources, as the test cannot install one), English where a locale is missing.
TEST(Errors, SystemTextsFollowTheMessagesLocaleWhereItIsInstalled) {
  EXPECT_EQ(SystemErrorText(ENOENT, "xx_YY.UTF-8"), "No such file or directory");
  EXPECT_EQ(SystemErrorText(ENOENT, "C"), "No such file or directory");
  test::TTempDir dir;
  const std::string build =
      "localedef -i de_DE -f UTF-8 " + dir.Path() + "de_DE.UTF-8 >/dev/null 2>&1";
  if (std::system(build.c_str()) != 0) GTEST_SKIP() << "cannot build the de_DE locale here";
  const char* before = std::getenv("LOCPATH");
  const std::string saved = before ? before : "";
  setenv("LOCPATH", dir.Dir().c_str(), 1);
  const std::string german = SystemErrorText(ENOENT, "de_DE.UTF-8");
  if (before) {
    setenv("LOCPATH", saved.c_str(), 1);
  } else {
    unsetenv("LOCPATH");
  }
  EXPECT_EQ(german, "Datei oder Verzeichnis nicht gefunden");
}

// The program's own reasons: the language's text with the device in it; the built-in English
// wording before the language is given, for a text the language lacks ("0") and for one without
// its %s.
TEST(Errors, ReasonTextsComeFromTheLanguage) {
  const struct {
    const char* language;  // the text of 9018; nullptr: no language given
    std::string expect;
  } rows[] = {
      {nullptr, "Not a serial device: /dev/null"},
      {"Kein serielles Gerät: %s", "Kein serielles Gerät: /dev/null"},
      {"0", "Not a serial device: /dev/null"},
      {"Kein serielles Gerät", "Not a serial device: /dev/null"},
  };
  for (const auto& r : rows) {
    if (r.language) {
      SetReasonTexts([&r](int id) { return id == kReasonNotASerialDevice ? r.language : "0"; });
    } else {
      SetReasonTexts({});
    }
    EXPECT_EQ(ReasonText(kReasonNotASerialDevice, "/dev/null"), r.expect)
        << (r.language ? r.language : "none");
  }
  EXPECT_EQ(ReasonText(kReasonPortInUse, "/dev/ttyUSB0"),
            "The port is in use by another program: /dev/ttyUSB0")
      << "a language without the id";
  SetReasonTexts({});
}

// Reasons without an argument take the language's text as it stands; those with one keep it.
TEST(Errors, ReasonTextsWithAndWithoutArgument) {
  const struct {
    int id;
    const char* language;
    const char* arg;
    std::string expect;
  } rows[] = {
      {kReasonNoPortChosen, "keine Schnittstelle gewählt", "", "keine Schnittstelle gewählt"},
      {kReasonNoPortChosen, "0", "", "no serial port is chosen"},
      {kReasonNoDtrDsr, "0", "", "DTR/DSR handshake is not supported on this system"},
      {kReasonGroupNeeded, "Gruppe %s nötig", "dialout", "Gruppe dialout nötig"},
      {kReasonGroupNeeded, "Gruppe nötig", "dialout",
       "the user must be a member of the group dialout"},
      {kReasonNoDeviceForPort, "Kein Gerät für %s", "COM7", "Kein Gerät für COM7"},
      {kReasonXonIsXoff, "XON- und XOFF-Zeichen sind gleich", "",
       "XON- und XOFF-Zeichen sind gleich"},
      {kReasonBaudNotSupported, "0", "", "The device does not support this baud rate"},
  };
  for (const auto& r : rows) {
    SetReasonTexts([&r](int id) { return id == r.id ? r.language : "0"; });
    EXPECT_EQ(ReasonText(r.id, r.arg), r.expect) << r.id << " " << r.language;
  }
  SetReasonTexts({});
}

}  // namespace
}  // namespace pzam
