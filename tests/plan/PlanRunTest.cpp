// The run of a plan over recording ports: two ports open at once, values routed to parts and
// characteristics, one record file per characteristic in the usual layout, the journal's events
// with part and characteristic, a repeat, a NOK part and the end inside a part.
#include "plan/PlanRun.h"

#include <gtest/gtest.h>

#include "measurement/RunFakes.h"
#include "measurement/TestFiles.h"

namespace pzam::plan {
namespace {

using measurement::test::ReadBytes;
using measurement::test::TFixedChoices;
using measurement::test::TRecordingView;
using measurement::test::TTempDir;

class TNamedPort : public measurement::IRunPort {
 public:
  explicit TNamedPort(std::string name, bool opens = true) : FName(std::move(name)), Opens(opens) {}
  std::string Name() const override { return FName; }
  bool Open(std::string& reason) override {
    ++OpenCount;
    if (!Opens) reason = "Device or resource busy";
    IsOpen = Opens;
    return Opens;
  }
  void Close() override { IsOpen = false; }
  int WriteText(const std::string& text) override {
    Sent += text;
    return IsOpen ? static_cast<int>(text.size()) : 0;
  }
  std::string FName;
  bool Opens;
  bool IsOpen = false;
  int OpenCount = 0;
  std::string Sent;
};

class TEvents : public measurement::IRunEvents {
 public:
  void RunStarted(const measurement::TRunStarted& r) override { Starts.push_back(r); }
  void ValueAccepted(const measurement::TValueAccepted& v) override { Values.push_back(v); }
  void ValueDiscarded(const measurement::TValueDiscarded& v) override {
    Discarded.push_back(v.Number);
  }
  void PartEnded(const measurement::TPartEnded& p) override { Parts.push_back(p); }
  void RunEnded(const measurement::TRunEnded& e) override { Ends.push_back(e.Count); }
  std::vector<measurement::TRunStarted> Starts;
  std::vector<measurement::TPartEnded> Parts;
  std::vector<measurement::TValueAccepted> Values;
  std::vector<int> Discarded, Ends;
};

TPlan Shaft() {
  TPlan p;
  p.Name = "Shaft";
  p.PartNumber = "4711-01";
  p.PartIds = true;
  p.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 3, 0, false},
                       {"Length", 80.0, 79.9, 80.1, "mm", 3, 5, 3, 0, false},
                       {"Runout", std::nullopt, std::nullopt, 0.02, "mm", 3, 6, 3, 0, false}};
  return p;
}

class PlanRunTest : public ::testing::Test {
 protected:
  PlanRunTest() {
    choices.Mode = 3;
    choices.Save = measurement::kSaveText;
    choices.Batch = "B9";
    choices.Format.DecimalSeparator = '.';
    choices.Texts = {{9002, "Messung beendet"},
                     {9004, "Schnittstelle %s nicht geöffnet: %s"},
                     {9278, "%s: %s discarded, measure again"}};
    for (int i = 0; i < 8; ++i) choices.Texts[9010 + i] = "H" + std::to_string(i);
  }
  std::unique_ptr<TPlanRun> Make() {
    measurement::TRunOptions options;
    options.Directory = dir.Dir().string();
    options.Wait = [](std::chrono::milliseconds) {};
    auto run = std::make_unique<TPlanRun>(
        Shaft(), view, choices, std::map<int, measurement::IRunPort*>{{5, &com5}, {6, &com6}},
        options);
    run->AddListener(events);
    return run;
  }
  void Send(TPlanRun& run, int com, const std::string& text) {
    auto& port = run.Port(com);
    port.Received(text, port.Generation());
  }
  std::vector<std::string> MemoWith(const std::string& part) const {
    std::vector<std::string> lines;
    for (const auto& l : view.Memo)
      if (l.find(part) != std::string::npos) lines.push_back(l);
    return lines;
  }

  TTempDir dir;
  TRecordingView view;
  TFixedChoices choices;
  TNamedPort com5{"COM5"}, com6{"COM6"};
  TEvents events;
};

TEST_F(PlanRunTest, PartsAreMeasuredJudgedAndRecordedPerCharacteristic) {
  auto run = Make();
  run->Initialise();
  EXPECT_TRUE(com5.IsOpen && com6.IsOpen);
  ASSERT_EQ(1u, events.Starts.size());
  EXPECT_EQ("Shaft", events.Starts[0].PlanName);
  EXPECT_EQ("4711-01", events.Starts[0].PartNumber);

  Send(*run, 6, "+000.010\r");  // before the part's id: held
  EXPECT_TRUE(events.Values.empty());
  ASSERT_TRUE(run->SetPartId("A1"));
  Send(*run, 5, "+020.010\r+080.000\r");
  ASSERT_TRUE(run->SetPartId("A2"));
  Send(*run, 5, "+020.300\r");
  ASSERT_TRUE(run->Repeat());
  Send(*run, 5, "+020.020\r+080.050\r");
  Send(*run, 6, "+000.050\r");
  ASSERT_TRUE(run->SetPartId("A3"));
  Send(*run, 5, "+019.990\r");
  run->End();

  EXPECT_EQ((std::vector<std::string>{"part=1 id=A1 result=OK", "part=2 id=A2 result=NOK",
                                      "part=3 id=A3 incomplete"}),
            MemoWith("part="));
  EXPECT_EQ(1u, MemoWith("Diameter: +020.300 discarded").size());
  EXPECT_EQ(3, run->Router().OkParts() + run->Router().NokParts() + 1);
  // Every value went out when it was taken, the discarded one too, each with its place.
  ASSERT_EQ(8u, events.Values.size());
  struct {
    int Part;
    const char* Id;
    int Characteristic;
    double Value;
  } expected[] = {{1, "A1", 3, 0.01}, {1, "A1", 1, 20.01}, {1, "A1", 2, 80.0},
                  {2, "A2", 1, 20.3}, {2, "A2", 1, 20.02}, {2, "A2", 2, 80.05},
                  {2, "A2", 3, 0.05}, {3, "A3", 1, 19.99}};
  for (std::size_t i = 0; i < 8; ++i) {
    const auto& v = events.Values[i];
    EXPECT_EQ(static_cast<int>(i + 1), v.Number);
    EXPECT_EQ(expected[i].Part, v.Part.value_or(0)) << i;
    EXPECT_EQ(expected[i].Id, v.PartId) << i;
    EXPECT_EQ(expected[i].Characteristic, v.Characteristic) << i;
    EXPECT_DOUBLE_EQ(expected[i].Value, v.Value) << i;
  }
  EXPECT_EQ("Runout", events.Values[0].CharacteristicName);
  EXPECT_EQ(measurement::TValueZone::Above, events.Values[6].Zone);
  EXPECT_EQ(std::vector<int>{4}, events.Discarded);
  EXPECT_EQ(std::vector<int>{8}, events.Ends);
  ASSERT_EQ(3u, events.Starts[0].Characteristics.size());
  EXPECT_EQ(0.02, events.Starts[0].Characteristics[2].Tolerance.Upper.value_or(0));
  // Each part as processed: the numbers of its values by characteristic (0: none), the repeated
  // value not among them.
  struct {
    int Part;
    bool Complete, Ok;
    std::vector<int> Numbers;
  } parts[] = {
      {1, true, true, {2, 3, 1}}, {2, true, false, {5, 6, 7}}, {3, false, false, {8, 0, 0}}};
  ASSERT_EQ(3u, events.Parts.size());
  for (std::size_t i = 0; i < 3; ++i) {
    const auto& p = events.Parts[i];
    EXPECT_EQ(parts[i].Part, p.Part);
    EXPECT_EQ(parts[i].Complete, p.Complete) << i;
    EXPECT_EQ(parts[i].Ok, p.Ok) << i;
    std::vector<int> numbers;
    for (const auto& v : p.Values) numbers.push_back(v ? v->Number : 0);
    EXPECT_EQ(parts[i].Numbers, numbers) << i;
  }
  EXPECT_DOUBLE_EQ(20.02, events.Parts[1].Values[0]->Value);
  // Each value was answered on its own port.
  EXPECT_EQ(6u, com5.Sent.size() / 5);
  EXPECT_EQ("STO0\rSTO0\r", com6.Sent);

  // One record file per characteristic, each with its own count, figures and the value's time.
  const std::string base = view.Filename.substr(0, view.Filename.size() - 6);  // "_1.csv"
  const std::string diameter = ReadBytes(dir.File(base + "_1.csv"));
  const std::string runout = ReadBytes(dir.File(base + "_3.csv"));
  EXPECT_NE(std::string::npos,
            diameter.find("B9;09:05:03;001;  20.010;   20.01;     0.0;   20.01;   20.01"))
      << diameter;
  EXPECT_NE(std::string::npos, diameter.find(";003;  19.990;")) << diameter;
  EXPECT_EQ(std::string::npos, diameter.find("20.300")) << "a discarded value has no row";
  EXPECT_NE(std::string::npos,
            runout.find("B9;09:05:03;002;   0.050;    0.03;   0.028;    0.05;    0.01"))
      << runout;
  EXPECT_EQ(3, run->Statistics(0).Count());
  EXPECT_EQ(2, run->Statistics(1).Count());
}

TEST_F(PlanRunTest, APortThatDoesNotOpenLeavesEveryPortClosed) {
  com6.Opens = false;
  auto run = Make();
  try {
    run->Initialise();
    FAIL() << "no error";
  } catch (const measurement::ERunError& e) {
    EXPECT_EQ("Schnittstelle COM6 nicht geöffnet: Device or resource busy", std::string(e.what()));
  }
  EXPECT_FALSE(run->Running());
  EXPECT_FALSE(com5.IsOpen);
  EXPECT_TRUE(events.Starts.empty());
  EXPECT_FALSE(run->Repeat());
}

TEST(PlanFileNames, EachCharacteristicHasItsOwn) {
  const TDateTime t{2026, 12, 10, 9, 5, 3};
  EXPECT_EQ("20261210_90503_B9_1.csv", CharacteristicFileName(t, "B9", measurement::kSaveText, 1));
  EXPECT_EQ("20261210_90503_B9_12.xls",
            CharacteristicFileName(t, "B9", measurement::kSaveExcel, 12));
}

}  // namespace
}  // namespace pzam::plan

namespace pzam::plan {
namespace {

// The Sylvac request of a characteristic goes to its own port, as its cable wants it.
TEST_F(PlanRunTest, TakeValueAsksTheCharacteristicsOwnGauge) {
  TPlan p = Shaft();
  p.PartIds = false;
  p.Characteristics[0].Mode = p.Characteristics[1].Mode = 2;  // COM5, duplex
  p.Characteristics[2].Mode = 2;                              // COM6, simplex
  p.Characteristics[2].Cable = 1;
  measurement::TRunOptions options;
  options.Directory = dir.Dir().string();
  options.Wait = [](std::chrono::milliseconds) {};
  TPlanRun run(p, view, choices, {{5, &com5}, {6, &com6}}, options);
  choices.Save = measurement::kSaveNone;
  EXPECT_FALSE(run.TakeValue(1)) << "no run yet";
  run.Initialise();
  EXPECT_TRUE(run.TakeValue(2));
  EXPECT_EQ("PRI\r", com5.Sent);
  EXPECT_TRUE(run.TakeValue(3));
  EXPECT_EQ("", com6.Sent);
  EXPECT_TRUE(com6.IsOpen);
  EXPECT_EQ(2, com6.OpenCount) << "closed and opened again";
  EXPECT_EQ(1, com5.OpenCount);
  EXPECT_FALSE(run.TakeValue(4));
  EXPECT_FALSE(run.TakeValue(0));
  run.End();
  EXPECT_FALSE(com5.IsOpen || com6.IsOpen);
}

}  // namespace
}  // namespace pzam::plan
