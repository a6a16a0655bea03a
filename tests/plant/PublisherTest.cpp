// The station's publisher as the window's indicator sees it: options it cannot use leave it not
// configured with the reason; without a broker it waits and counts; a broker that comes later
// gets everything.
#include "plant/Publisher.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "Engines.h"
#include "plant/Journal.h"

namespace pzam::test {
namespace {

using namespace std::chrono_literals;

TEST(PlantPublisher, OptionsItCannotUseLeaveItNotConfigured) {
  TTempDir dir;
  WriteFile(dir.File("open.pw"), "pass-word\n");
  ::chmod(dir.File("open.pw").c_str(), 0640);
  struct {
    plant::TPublisherOptions options;
    const char* says;
  } cases[] = {
      {{"st", "", "", "", ""}, "no broker"},
      {{"st", "tcp://127.0.0.1:1883", "", "", ""}, "mqtt://"},
      {{"st", "mqtt://127.0.0.1:70000", "", "", ""}, "port"},
      {{"st", "mqtt://:1883", "", "", ""}, "host"},
      {{"a/b", "mqtt://127.0.0.1", "", "", ""}, "topic level"},
      {{"", "mqtt://127.0.0.1", "", "", ""}, "topic level"},
      {{"st", "mqtt://127.0.0.1", "st", dir.File("open.pw"), ""}, "0600"},
      {{"st", "mqtt://127.0.0.1", "st", dir.File("missing.pw"), ""}, "cannot read"},
  };
  for (const auto& c : cases) {
    plant::TPublisher p(c.options, dir.File("j.sqlite"));
    const auto s = p.Status();
    EXPECT_EQ(plant::TPlantLinkState::NotConfigured, s.State) << c.says;
    EXPECT_NE(std::string::npos, s.Problem.find(c.says)) << s.Problem;
    EXPECT_EQ(std::string::npos, s.Problem.find("pass-word"));
    p.Notify();  // harmless
  }
}

TEST(PlantPublisher, WaitsForABrokerThatComesLater) {
  TTempDir dir;
  TMosquitto broker(dir.File("broker"), {});
  const std::string path = dir.File("st.sqlite");
  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(path));
  plant::TPublisher publisher({"st", broker.Url(), "", "", ""}, path);
  plant::TRunStart run;
  run.RunId = "01938a4e-5b7c-7d2e-9f10-2a3b4c5d6e7f";
  run.Station = "st";
  run.Started = "2026-12-09T21:30:05.123+01:00";
  ASSERT_EQ("", journal.StartRun(run));
  for (int seq = 1; seq <= 25; ++seq) {
    plant::TValueRecord v;
    v.RunId = run.RunId;
    v.Seq = seq;
    v.Text = "1";
    v.Time = run.Started;
    ASSERT_EQ("", journal.AddValue(v));
    publisher.Notify();
  }
  std::this_thread::sleep_for(1500ms);
  auto s = publisher.Status();
  EXPECT_EQ(plant::TPlantLinkState::Disconnected, s.State);
  EXPECT_EQ(25, s.Waiting);
  EXPECT_NE("", s.Problem);

  ASSERT_TRUE(broker.Start());
  for (int i = 0; i < 200; ++i) {
    s = publisher.Status();
    if (s.State == plant::TPlantLinkState::Connected && s.Waiting == 0) break;
    std::this_thread::sleep_for(50ms);
  }
  EXPECT_EQ(plant::TPlantLinkState::Connected, s.State) << s.Problem;
  EXPECT_EQ(0, s.Waiting);
  EXPECT_EQ("", s.Problem);
  std::vector<plant::TOutboxEntry> left;
  ASSERT_EQ("", journal.Unpublished(0, 10, left));
  EXPECT_TRUE(left.empty());
}

}  // namespace
}  // namespace pzam::test
