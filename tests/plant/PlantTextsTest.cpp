// Run ids, time texts and secret files: the small pieces every plant message relies on.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "common/RunId.h"
#include "plant/IsoTime.h"
#include "plant/PrivateFile.h"
#include "platform/FileRights.h"
#include "support/TempDir.h"
#include "support/TestRights.h"

namespace pzam::plant {
namespace {

using namespace std::chrono;

TEST(RunId, IsAVersion7UuidOrderedByTime) {
  const sys_time<milliseconds> t0{milliseconds(1796851952123)};
  std::set<std::string> seen;
  std::string previous;
  for (int i = 0; i < 2000; ++i) {
    const std::string id = NewRunId(t0 + milliseconds(i / 10));
    ASSERT_TRUE(IsUuidText(id)) << id;
    EXPECT_EQ('7', id[14]) << id;
    EXPECT_NE(std::string::npos, std::string("89ab").find(id[19])) << id;
    EXPECT_EQ(id, [&] {
      std::string lower = id;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      return lower;
    }());
    if (i % 10 == 0 && !previous.empty()) {
      EXPECT_LT(previous.substr(0, 13), id.substr(0, 13));
    }
    previous = id;
    EXPECT_TRUE(seen.insert(id).second) << "twice: " << id;
  }
  // The first 48 bits are the milliseconds since 1970.
  EXPECT_EQ("01a25cb8-e9fb", NewRunId(t0).substr(0, 13));
}

TEST(RunId, UuidTextForms) {
  for (const char* good :
       {"018f3c1e-7a2b-7c3d-8e4f-0123456789ab", "018F3C1E-7A2B-7C3D-8E4F-0123456789AB",
        "00000000-0000-0000-0000-000000000000"})
    EXPECT_TRUE(IsUuidText(good)) << good;
  for (const char* bad :
       {"", "018f3c1e7a2b7c3d8e4f0123456789ab", "018f3c1e-7a2b-7c3d-8e4f-0123456789a",
        "018f3c1e-7a2b-7c3d-8e4f-0123456789abc", "018f3c1e-7a2b-7c3d-8e4f_0123456789ab",
        "g18f3c1e-7a2b-7c3d-8e4f-0123456789ab", "018f3c1e-7a2b-7c3d-8e4f-0123456789a'",
        "{18f3c1e-7a2b-7c3d-8e4f-0123456789a}"})
    EXPECT_FALSE(IsUuidText(bad)) << bad;
}

TEST(IsoTime, TextAtAnOffset) {
  const sys_days day = 2026y / December / 9;
  struct {
    sys_time<milliseconds> t;
    int offset;
    const char* text;
  } cases[] = {
      {day + 20h + 30min + 5s + 123ms, 60, "2026-12-09T21:30:05.123+01:00"},
      {day + 20h + 30min + 5s + 123ms, 0, "2026-12-09T20:30:05.123+00:00"},
      {day + 23h + 59min + 59s + 999ms, 120, "2026-12-10T01:59:59.999+02:00"},
      {day + 2h, -330, "2026-12-08T20:30:00.000-05:30"},
      {sys_days(2024y / February / 28) + 23h + 30min, 45, "2024-02-29T00:15:00.000+00:45"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.text, IsoTimeText(c.t, c.offset)) << c.text;
    EXPECT_TRUE(IsIsoTimeText(IsoTimeText(c.t, c.offset))) << c.text;
  }
  EXPECT_TRUE(IsIsoTimeText(LocalIsoTimeText(system_clock::now())));
}

TEST(IsoTime, TextForms) {
  for (const char* good :
       {"2026-12-09T21:30:05.123+01:00", "2026-12-09T21:30:05Z", "2026-12-09T21:30:05.1-14:00",
        "2026-12-09T21:30:05.123456+00:00", "2024-02-29T00:00:00.000Z", "2000-02-29T23:59:59Z"})
    EXPECT_TRUE(IsIsoTimeText(good)) << good;
  for (const char* bad : {"",
                          "2026-12-09",
                          "2026-12-09 21:30:05.123+01:00",
                          "2026-12-09T21:30:05.123",
                          "2026-13-09T21:30:05Z",
                          "2026-00-09T21:30:05Z",
                          "2026-02-29T21:30:05Z",
                          "1900-02-29T21:30:05Z",
                          "2026-04-31T21:30:05Z",
                          "2026-12-09T24:00:00Z",
                          "2026-12-09T21:60:05Z",
                          "2026-12-09T21:30:60Z",
                          "2026-12-09T21:30:05.Z",
                          "2026-12-09T21:30:05.1234567Z",
                          "2026-12-09T21:30:05+1:00",
                          "2026-12-09T21:30:05+15:00",
                          "2026-12-09T21:30:05+01:60",
                          "2026-12-09T21:30:05+0100",
                          "2026-12-09T21:30:05Z ",
                          "2026-12-09T21:30:05z",
                          "0000-01-01T00:00:00Z",
                          "2026-12-09T21:30:05.12'; --"})
    EXPECT_FALSE(IsIsoTimeText(bad)) << bad;
}

TEST(PrivateFile, SecretFilesOthersMayReadAreRefused) {
  test::TTempDir dir;
  using test::TTestRights;
  struct {
    TTestRights rights;
    const char* content;
    bool ok;
    const char* secret;
  } cases[] = {
      {TTestRights::OwnerReadWrite, "s3cret\n", true, "s3cret"},
      {TTestRights::OwnerRead, "s3cret\r\nnext", true, "s3cret"},
      {TTestRights::OthersRead, "s3cret\n", false, ""},
      {TTestRights::OwnerReadWrite, "", false, ""},
      {TTestRights::OwnerReadWrite, "\nsecond", false, ""},
  };
  for (const auto& c : cases) {
    const std::string path = dir.File("password");
    if (std::filesystem::exists(path)) {  // the last case's rights may forbid removing it
      ASSERT_TRUE(test::GiveRights(path, TTestRights::OwnerReadWrite));
      std::filesystem::remove(path);
    }
    test::WriteFile(path, c.content);
    ASSERT_TRUE(test::GiveRights(path, c.rights));
    std::string secret, error;
    EXPECT_EQ(c.ok, ReadSecretFile(path, secret, error))
        << static_cast<int>(c.rights) << " " << error;
    if (c.ok) {
      EXPECT_EQ(c.secret, secret);
    }
    EXPECT_EQ(std::string::npos, error.find("s3cret")) << error;
    if (!c.ok) {
      EXPECT_NE("", error);
    }
  }
  std::string secret, error;
  EXPECT_FALSE(ReadSecretFile(dir.File("missing"), secret, error));
}

TEST(PrivateFile, CreatesOwnerOnlyAndKeepsAnExistingFile) {
  test::TTempDir dir;
  std::string error;
  ASSERT_TRUE(CreatePrivateFile(dir.File("new"), error)) << error;
  bool others = true;
  ASSERT_TRUE(platform::OthersMayRead(dir.File("new"), others));
  EXPECT_FALSE(others);
  test::WriteFile(dir.File("old"), "kept");
  ASSERT_TRUE(CreatePrivateFile(dir.File("old"), error)) << error;
  EXPECT_EQ("kept", test::FileContent(dir.File("old")));
  EXPECT_FALSE(CreatePrivateFile(dir.File("no/such/folder"), error));
  EXPECT_NE("", error);
}

}  // namespace
}  // namespace pzam::plant
