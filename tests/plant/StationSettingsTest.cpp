// The station's side of plant data around the journal: the [Plant] settings as the file holds
// them, their check before they are applied, and the journal's writer as a listener of the run.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/AtomicFile.h"
#include "config/PlantSettings.h"
#include "plant/Journal.h"
#include "plant/JournalWriter.h"
#include "plant/PlantSettingsCheck.h"
#include "support/TempDir.h"
#include "support/TestRights.h"

namespace pzam::plant {
namespace {

using test::TTempDir;
using test::WriteFile;

TEST(PlantSettings, TheSectionIsReadAndWrittenAfterTheOthersLeavingThemAsTheyAre) {
  TTempDir dir;
  const std::string path = dir.File("PZAMConfig.ini");
  const std::string before = "[Serial]\r\nCOM=9600,8,e,1\r\n[Select]\r\nReqMode=3\r\n";
  WriteFile(path, before);
  EXPECT_FALSE(ReadPlantSettings(path).Present);

  TPlantSettings s{true, "line-1", "mqtts://broker:8883", "st", "/etc/pw", "/etc/ca.pem", ""};
  WritePlantSettings(path, s);
  std::string after;
  ASSERT_TRUE(ReadWholeFile(path, after));
  EXPECT_EQ(0u, after.find(before)) << after;
  EXPECT_NE(std::string::npos, after.find("[Plant]", before.size()));
  EXPECT_EQ(s, ReadPlantSettings(path));

  struct TCase {
    const char* Text;
    TPlantSettings Expected;
  } cases[] = {
      {"[Plant]\nStation = a b \nBroker=\"mqtt://h:1\"\n",
       {true, "a b", "mqtt://h:1", "", "", "", ""}},
      {"[plant]\njournal=/j.sqlite\n", {true, "", "", "", "", "", "/j.sqlite"}},
      {"[Plant]\n[Select]\nStation=x\n", {false, "", "", "", "", "", ""}},
      {"", {}},
  };
  for (const TCase& c : cases) {
    WriteFile(path, c.Text);
    EXPECT_EQ(c.Expected, ReadPlantSettings(path)) << c.Text;
  }
  TPlantSettings named;
  named.Station = "line-9";
  EXPECT_EQ("line-9", StationName(named));
  EXPECT_FALSE(StationName({}).empty());
}

TEST(PlantSettings, EachFieldThatCannotBeUsedIsRefusedWithItsReason) {
  TTempDir dir;
  const std::string secret = dir.File("pw"), open = dir.File("pw-open"), ca = dir.File("ca.pem");
  WriteFile(secret, "s3cret\n");
  WriteFile(open, "s3cret\n");
  WriteFile(ca, "-----BEGIN CERTIFICATE-----\n");
  ASSERT_TRUE(test::GiveRights(secret, test::TTestRights::OwnerReadWrite));
  ASSERT_TRUE(test::GiveRights(open, test::TTestRights::OthersRead));
  const TPlantSettings good{true,   "line-1", "mqtts://b:8883",    "st",
                            secret, ca,       dir.File("j.sqlite")};
  EXPECT_TRUE(CheckPlantSettings(good).empty());
  EXPECT_TRUE(CheckPlantSettings({}).empty()) << "nothing set: no publication";

  struct TCase {
    std::function<void(TPlantSettings&)> Change;
    TPlantField Field;
  } cases[] = {
      {[](TPlantSettings& s) { s.Station = "a/b"; }, TPlantField::Station},
      {[](TPlantSettings& s) { s.Station = "a+"; }, TPlantField::Station},
      {[](TPlantSettings& s) { s.Broker = "http://b:80"; }, TPlantField::Broker},
      {[](TPlantSettings& s) { s.Broker = "mqtt://b:99999"; }, TPlantField::Broker},
      {[](TPlantSettings& s) { s.Broker = "mqtt://"; }, TPlantField::Broker},
      {[](TPlantSettings& s) { s.Broker.clear(); }, TPlantField::User},
      {[&](TPlantSettings& s) { s.PasswordFile = open; }, TPlantField::PasswordFile},
      {[&](TPlantSettings& s) { s.PasswordFile = dir.File("none"); }, TPlantField::PasswordFile},
      {[&](TPlantSettings& s) { s.CAFile = dir.File("none.pem"); }, TPlantField::CAFile},
      {[&](TPlantSettings& s) { s.CAFile = dir.Path(); }, TPlantField::CAFile},
      {[](TPlantSettings& s) { s.Journal = "journal.sqlite"; }, TPlantField::Journal},
      {[&](TPlantSettings& s) { s.Journal = dir.File("no/such/j.sqlite"); }, TPlantField::Journal},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    TPlantSettings s = good;
    cases[i].Change(s);
    const auto problems = CheckPlantSettings(s);
    ASSERT_EQ(1u, problems.size()) << "case " << i;
    EXPECT_EQ(cases[i].Field, problems.begin()->first) << "case " << i;
    EXPECT_FALSE(problems.begin()->second.empty()) << "case " << i;
    EXPECT_EQ(std::string::npos, problems.begin()->second.find("s3cret")) << "case " << i;
  }
}

measurement::TRunStarted Started(const std::string& id) {
  measurement::TRunStarted r;
  r.RunId = id;
  r.Station = "line-1";
  r.Batch = "B-1";
  r.Mode = 3;
  r.Port = "COM5";
  r.Tolerance = {10.0, 9.9, 10.1};
  r.Start = ClockAt({2026, 12, 9, 21, 30, 5});
  return r;
}

measurement::TValueAccepted Accepted(const std::string& id, int n) {
  measurement::TValueAccepted v;
  v.RunId = id;
  v.Number = n;
  v.Value = 10.0 + n / 10.0;
  v.Text = "+010." + std::to_string(n) + "00";
  v.Time = ClockAt({2026, 12, 9, 21, 30, 5 + n});
  v.Zone = n > 1 ? measurement::TValueZone::Above : measurement::TValueZone::Inside;
  return v;
}

TEST(JournalWriter, EveryEventIsInTheJournalBeforeTheNextComes) {
  TTempDir dir;
  const std::string path = dir.File("pzam-journal.sqlite");
  std::vector<std::string> reports;
  int written = 0;
  TJournalWriter writer(
      path, [&](const std::string& r) { reports.push_back(r); }, [&] { ++written; });
  const std::string id = "01a25d7b-3a14-7dc7-b040-0731d8e36e5e";
  TJournal reader;
  ASSERT_EQ("", reader.Open(path, TJournalSync::Normal));
  writer.RunStarted(Started(id));
  for (int n = 1; n <= 3; ++n) {
    writer.ValueAccepted(Accepted(id, n));
    std::vector<TValueRecord> values;
    ASSERT_EQ("", reader.RunValues(id, values));
    ASSERT_EQ(static_cast<std::size_t>(n), values.size());
    EXPECT_EQ(ReadingText(Accepted(id, n).Time), values.back().Time);
    EXPECT_EQ(Accepted(id, n).Text, values.back().Text);
    EXPECT_EQ(n > 1 ? TToleranceZone::Above : TToleranceZone::In, values.back().Tolerance);
  }
  writer.RunEnded({id, ClockAt({2026, 12, 9, 21, 31, 0}), 3});
  std::optional<TRunRecord> run;
  ASSERT_EQ("", reader.FindRun(id, run));
  ASSERT_TRUE(run);
  EXPECT_EQ(3, run->ValueCount);
  EXPECT_EQ(10.1, run->Start.Usl);
  EXPECT_TRUE(run->Ended);
  EXPECT_EQ(5, written);
  EXPECT_TRUE(reports.empty());
}

TEST(JournalWriter, AJournalThatCannotBeWrittenIsReportedOncePerRun) {
  TTempDir dir;
  WriteFile(dir.File("file"), "");
  std::vector<std::string> reports;
  TJournalWriter writer(dir.File("file") + "/pzam-journal.sqlite",
                        [&](const std::string& r) { reports.push_back(r); });
  for (const char* id :
       {"01a25d7b-3a14-7dc7-b040-0731d8e36e5e", "01a25d7b-3a14-7dc7-b040-0731d8e36e5f"}) {
    writer.RunStarted(Started(id));
    for (int n = 1; n <= 3; ++n) writer.ValueAccepted(Accepted(id, n));
    writer.RunEnded({id, ClockAt({2026, 12, 9, 21, 31, 0}), 3});
  }
  ASSERT_EQ(2u, reports.size());
  EXPECT_EQ(0u, reports[0].find("Station journal not written: ")) << reports[0];

  // Another journal from the next run on.
  writer.SetPath(dir.File("good.sqlite"));
  writer.RunStarted(Started("01a25d7b-3a14-7dc7-b040-0731d8e36e60"));
  EXPECT_EQ(2u, reports.size());
  EXPECT_TRUE(std::filesystem::exists(dir.File("good.sqlite")));
}

}  // namespace
}  // namespace pzam::plant
