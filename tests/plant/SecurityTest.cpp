// The plant's protections with real engines: TLS to the broker checked against the plant's CA,
// stations and collector logged in with passwords, a broker ACL under which a station publishes
// only below its own topics, and a collector role that owns nothing but its schema.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "MqttSubscriber.h"
#include "PlantRig.h"
#include "RawPublisher.h"
#include "plant/Publisher.h"

namespace pzam::test {
namespace {

using namespace std::chrono_literals;

constexpr char kAcl[] =
    "user collector\n"
    "topic read pzam/v1/+/run/#\n"
    "topic read pzam/v1/+/status\n"
    "pattern write pzam/v1/%u/#\n";

TBrokerConfig SecureBroker(const std::string& certDir) {
  TBrokerConfig c;
  c.Tls = true;
  c.CertDir = certDir;
  c.Users = {{"collector", "c-pass"}, {"st-a", "a-pass"}, {"st-b", "b-pass"}};
  c.Acl = kAcl;
  return c;
}

class PlantSecurity : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(FCerts.File("other"));
    ASSERT_TRUE(MakeTestCertificates(FCerts.Dir().string()));
    ASSERT_TRUE(MakeTestCertificates(FCerts.File("other")));  // a CA the broker does not use
    FRig = std::make_unique<TPlantRig>(SecureBroker(FCerts.Dir().string()));
    ASSERT_TRUE(FRig->Ready());
    for (const auto& [name, pass] : {std::pair{"collector", "c-pass"}, {"st-a", "a-pass"}}) {
      WriteFile(FCerts.File(std::string(name) + ".pw"), std::string(pass) + "\n");
      ::chmod(FCerts.File(std::string(name) + ".pw").c_str(), 0600);
    }
  }
  std::string Ca() const { return FCerts.File("ca.crt"); }
  std::vector<std::string> CollectorLogin() const {
    return {"--user",    "collector", "--password-file", FCerts.File("collector.pw"),
            "--ca-file", Ca()};
  }

  TTempDir FCerts;
  std::unique_ptr<TPlantRig> FRig;
};

TEST_F(PlantSecurity, StationsReachTheStoreOnlyBelowTheirOwnTopics) {
  auto collector = FRig->StartCollector(CollectorLogin());
  // st-a publishes its runs over TLS with its password.
  auto station =
      FRig->StartStations({"--prefix", "st-a", "--values", "30", "--rate", "300", "--password-file",
                           FCerts.File("st-a.pw"), "--ca-file", Ca()});
  ASSERT_TRUE(station->WaitForStdout("drained", 60s)) << station->Stderr();
  ASSERT_EQ(30, FRig->WaitForStoredValues(30, 30s));

  // st-a writing into st-b's topics: the broker takes it and passes it to nobody.
  TRawPublisher a(FRig->Broker->Url(), "intruder", "st-a", "a-pass", Ca());
  ASSERT_TRUE(a.Connected()) << a.Failure();
  const std::string foreign = "01938a4e-5b7c-7d2e-9f10-00000000f0e1";
  const std::string start =
      "{\"run_id\":\"" + foreign +
      "\",\"station\":\"st-b\",\"batch\":\"x\",\"mode\":0,\"port\":\"COM1\",\"record_file\":\"x\","
      "\"started\":\"2026-12-09T21:30:05.123+01:00\"}";
  EXPECT_TRUE(a.Publish("pzam/v1/st-b/run/" + foreign + "/start", start));
  // Its own next message arrives, so the one before it would have too. (mosquitto 2.0 ends the
  // connection of a client that wrote where it may not: the next message comes on a new one.)
  const std::string own = "01938a4e-5b7c-7d2e-9f10-00000000a0a1";
  std::string ownStart = start;
  ownStart.replace(ownStart.find(foreign), foreign.size(), own);
  ownStart.replace(ownStart.find("st-b"), 4, "st-a");
  TRawPublisher again(FRig->Broker->Url(), "intruder-2", "st-a", "a-pass", Ca());
  ASSERT_TRUE(again.Connected()) << again.Failure();
  EXPECT_TRUE(again.Publish("pzam/v1/st-a/run/" + own + "/start", ownStart))
      << FileContent(FRig->Dir.File("broker/mosquitto.log"));
  for (int i = 0;
       i < 100 && FRig->Pg->Query("SELECT 1 FROM pzam.run WHERE run_id = '" + own + "'").empty();
       ++i)
    std::this_thread::sleep_for(100ms);
  EXPECT_EQ(1u, FRig->Pg->Query("SELECT 1 FROM pzam.run WHERE run_id = '" + own + "'").size());
  EXPECT_TRUE(FRig->Pg->Query("SELECT 1 FROM pzam.run WHERE station = 'st-b'").empty());
  collector->Poll();
  EXPECT_EQ(std::string::npos, collector->Stderr().find("refused")) << collector->Stderr();
}

TEST_F(PlantSecurity, WrongPasswordsAndForeignCertificatesAreRefused) {
  struct {
    const char* what;
    std::string user, password, ca;
  } cases[] = {{"wrong password", "st-a", "b-pass", Ca()},
               {"unknown user", "st-z", "a-pass", Ca()},
               {"no login", "", "", Ca()},
               {"broker certificate of another CA", "st-a", "a-pass", FCerts.File("other/ca.crt")}};
  for (const auto& c : cases) {
    TRawPublisher p(FRig->Broker->Url(), std::string("try-") + c.what, c.user, c.password, c.ca);
    EXPECT_FALSE(p.Connected()) << c.what;
  }
  // The collector says why, and goes on trying; no secret is printed.
  auto collector = std::make_unique<TChildProcess>(TChildCommand{
      ToolPath(),
      {"collect", "--broker", FRig->Broker->Url(), "--db", FRig->Pg->Conninfo(), "--user",
       "collector", "--password-file", FCerts.File("st-a.pw"), "--ca-file", Ca()},
      "",
      {}});
  EXPECT_TRUE(collector->WaitForStderr("bad user name or password", 20s)) << collector->Stderr();
  collector->Signal(SIGTERM);
  EXPECT_EQ(0, collector->WaitForExit(10s));
  auto foreign = std::make_unique<TChildProcess>(
      TChildCommand{ToolPath(),
                    {"collect", "--broker", FRig->Broker->Url(), "--db", FRig->Pg->Conninfo(),
                     "--user", "collector", "--password-file", FCerts.File("collector.pw"),
                     "--ca-file", FCerts.File("other/ca.crt")},
                    "",
                    {}});
  EXPECT_TRUE(foreign->WaitForStderr("certificate", 20s)) << foreign->Stderr();
  foreign->Signal(SIGTERM);
  EXPECT_EQ(0, foreign->WaitForExit(10s));
  for (const auto* p : {collector.get(), foreign.get()}) {
    EXPECT_EQ(std::string::npos, (p->Stdout() + p->Stderr()).find("c-pass"));
    EXPECT_EQ(std::string::npos, (p->Stdout() + p->Stderr()).find("a-pass"));
  }
  // A station whose password file others may read does not connect at all.
  ::chmod(FCerts.File("st-a.pw").c_str(), 0644);
  plant::TPublisher publisher({"st-a", FRig->Broker->Url(), "st-a", FCerts.File("st-a.pw"), Ca()},
                              FRig->Dir.File("st-a.sqlite"));
  EXPECT_EQ(plant::TPlantLinkState::NotConfigured, publisher.Status().State);
  EXPECT_NE(std::string::npos, publisher.Status().Problem.find("0600"));
}

TEST_F(PlantSecurity, TheCollectorsRoleNeedsOnlyItsSchema) {
  FRig->Pg->Query(
      "CREATE ROLE pzam_collector LOGIN; "
      "CREATE SCHEMA pzam AUTHORIZATION pzam_collector;");
  const std::string conninfo = FRig->Pg->Conninfo("pzam_collector");
  auto collector = std::make_unique<TChildProcess>(TChildCommand{
      ToolPath(),
      {"collect", "--broker", FRig->Broker->Url(), "--db", conninfo, "--user", "collector",
       "--password-file", FCerts.File("collector.pw"), "--ca-file", Ca()},
      "",
      {}});
  ASSERT_TRUE(collector->WaitForStderr("subscribed", 20s)) << collector->Stderr();
  auto station =
      FRig->StartStations({"--prefix", "st-a", "--values", "20", "--rate", "300", "--password-file",
                           FCerts.File("st-a.pw"), "--ca-file", Ca()});
  ASSERT_TRUE(station->WaitForStdout("drained", 60s)) << station->Stderr();
  EXPECT_EQ(20, FRig->WaitForStoredValues(20, 30s)) << (collector->Poll(), collector->Stderr());
  // Its tables are its own; it has no right anywhere else.
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"pzam_collector"}, {"pzam_collector"}}),
            FRig->Pg->Query("SELECT tableowner FROM pg_tables WHERE schemaname = 'pzam'"));
  EXPECT_EQ((std::vector<std::vector<std::string>>{{"f", "f", "f"}}),
            FRig->Pg->Query("SELECT rolsuper, rolcreatedb, has_schema_privilege("
                            "'pzam_collector', 'public', 'CREATE') FROM pg_roles "
                            "WHERE rolname = 'pzam_collector'"));
  collector->Signal(SIGTERM);
  EXPECT_EQ(0, collector->WaitForExit(10s));
}

// The station's status: retained "online" while connected, "offline" after a clean end and,
// from the broker as the Last Will, after the station died.
TEST_F(PlantSecurity, StationStatusIsRetainedOnlineAndOffline) {
  central::TSubscriberOptions o;
  std::string error;
  ASSERT_TRUE(plant::ParseBrokerUrl(FRig->Broker->Url(), o.Url, error));
  o.ClientId = "status-watch";
  o.User = "collector";
  o.Password = "c-pass";
  o.CAFile = Ca();
  o.Filter = "pzam/v1/+/status";
  auto statusAfter = [&](const std::function<void()>& step) {
    step();
    central::TMqttSubscriber watch(o);  // a new session: only the retained message comes
    EXPECT_TRUE(watch.Connect(10000, error)) << error;
    std::vector<central::TPublishPacket> got;
    for (int i = 0; i < 50 && got.empty(); ++i) {
      std::this_thread::sleep_for(100ms);
      EXPECT_TRUE(watch.Poll(got, error)) << error;
    }
    watch.Disconnect();
    return got.empty() ? std::string("(none)") : got.back().Payload;
  };
  const std::vector<std::string> login = {
      "--prefix",  "st-a", "--values",        "100000",
      "--rate",    "5",    "--password-file", FCerts.File("st-a.pw"),
      "--ca-file", Ca()};
  std::unique_ptr<TChildProcess> station;
  EXPECT_EQ("online", statusAfter([&] {
              station = FRig->StartStations(login);
              std::this_thread::sleep_for(2s);
            }));
  EXPECT_EQ("offline", statusAfter([&] {
              station->Signal(SIGKILL);
              station->WaitForExit(5s);
              std::this_thread::sleep_for(1s);
            }));
  {
    plant::TPublisher publisher({"st-a", FRig->Broker->Url(), "st-a", FCerts.File("st-a.pw"), Ca()},
                                FRig->Dir.File("st-a.sqlite"));
    for (int i = 0; i < 100 && publisher.Status().State != plant::TPlantLinkState::Connected; ++i)
      std::this_thread::sleep_for(100ms);
    EXPECT_EQ(plant::TPlantLinkState::Connected, publisher.Status().State)
        << publisher.Status().Problem;
    EXPECT_EQ("online", statusAfter([] {}));
  }
  EXPECT_EQ("offline", statusAfter([] {}));  // the publisher's clean end
}

}  // namespace
}  // namespace pzam::test
