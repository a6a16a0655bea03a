// The router of a plan run: values to their part and characteristic in plan order, part ids,
// values held while they cannot go yet, repeat, the judgement of each part and the end inside one.
#include "plan/PartRouter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace pzam::plan {
namespace {

// Shaft: diameter and length on COM5 (in that order), runout on COM6.
TPlan Shaft(bool partIds) {
  TPlan p;
  p.Name = "Shaft";
  p.PartIds = partIds;
  p.Characteristics = {{"Diameter", 20.0, 19.95, 20.05, "mm", 3, 5, 0, 0, false},
                       {"Length", 80.0, 79.9, 80.1, "mm", 2, 5, 0, 0, false},
                       {"Runout", std::nullopt, std::nullopt, 0.02, "mm", 3, 6, 2, 0, false}};
  return p;
}

// The events as one line each: "take 1/ID c=0 20.01", "discard 1 c=1", "part 1/ID OK", ...
class TLog : public IPartEvents {
 public:
  void ValueTaken(const TRoutedValue& v) override {
    Add("take " + Part(v.Part, v.PartId) + " c=" + std::to_string(v.Characteristic) + " " +
        Num(v.Gauge.Value));
  }
  void ValueDiscarded(const TRoutedValue& v) override {
    Add("discard " + Part(v.Part, v.PartId) + " c=" + std::to_string(v.Characteristic));
  }
  void PartEnded(const TPartResult& r) override {
    Add("part " + Part(r.Part, r.PartId) + (r.Complete ? (r.Ok ? " OK" : " NOK") : " incomplete"));
  }
  std::vector<std::string> Lines;

 private:
  void Add(const std::string& line) { Lines.push_back(line); }
  static std::string Part(int n, const std::string& id) {
    return std::to_string(n) + (id.empty() ? "" : "/" + id);
  }
  static std::string Num(double x) {
    std::ostringstream out;
    out << x;
    return out.str();
  }
};

// A script of what happens: "5:20.01" a value on COM5, "id:A7" a part id, "repeat", "end".
struct TCase {
  const char* Name;
  bool PartIds;
  std::vector<std::string> Script;
  std::vector<std::string> Expected;
  int Ok, Nok;
  std::size_t HeldAtEnd;
};

TEST(PartRouter, ValuesGoToTheirPartAndCharacteristic) {
  const TCase cases[] = {
      {"plan order per port, a part per three values",
       false,
       {"5:20.01", "5:80.0", "6:0.01", "6:0.03", "5:20.0", "5:80.2", "end"},
       {"take 1 c=0 20.01", "take 1 c=1 80", "take 1 c=2 0.01", "part 1 OK", "take 2 c=2 0.03",
        "take 2 c=0 20", "take 2 c=1 80.2", "part 2 NOK"},
       1,
       1,
       0},
      {"a port measured ahead waits for the next part",
       false,
       {"5:20.01", "5:80.0", "5:20.02", "5:80.01", "6:0.0", "end"},
       {"take 1 c=0 20.01", "take 1 c=1 80", "take 1 c=2 0", "part 1 OK", "take 2 c=0 20.02",
        "take 2 c=1 80.01", "part 2 incomplete"},
       1,
       0,
       0},
      {"values before the id are held and taken with it, in order",
       true,
       {"6:0.01", "5:20.0", "5:80.0", "id:A7", "id:again", "end"},
       {"take 1/A7 c=2 0.01", "take 1/A7 c=0 20", "take 1/A7 c=1 80", "part 1/A7 OK"},
       1,
       0,
       0},
      {"the next part waits for its own id",
       true,
       {"id:A1", "5:20.0", "5:80.0", "6:0.0", "5:20.01", "id:A2", "end"},
       {"take 1/A1 c=0 20", "take 1/A1 c=1 80", "take 1/A1 c=2 0", "part 1/A1 OK",
        "take 2/A2 c=0 20.01", "part 2/A2 incomplete"},
       1,
       0,
       0},
      {"repeat takes the last value back and the next one replaces it",
       false,
       {"5:20.3", "repeat", "5:20.01", "5:80.0", "6:0.05", "repeat", "6:0.01", "end"},
       {"take 1 c=0 20.3", "discard 1 c=0", "take 1 c=0 20.01", "take 1 c=1 80", "take 1 c=2 0.05",
        "part 1 NOK", "take 2 c=2 0.01", "part 2 incomplete"},
       0,
       1,
       0},
      {"a value measured ahead does not fill the place a repeat opened",
       false,
       {"5:20.0", "5:80.0", "5:20.5", "repeat", "5:80.05", "6:0.0", "end"},
       {"take 1 c=0 20", "take 1 c=1 80", "discard 1 c=1", "take 1 c=1 80.05", "take 1 c=2 0",
        "part 1 OK", "take 2 c=0 20.5", "part 2 incomplete"},
       1,
       0,
       0},
      {"the end inside a part gives it no judgement; held values come back",
       true,
       {"5:20.0", "end"},
       {},
       0,
       0,
       1},
      {"a port holds one part's worth ahead; beyond that values are refused",
       false,
       {"6:0.01", "6:0.02", "6:0.03", "5:20.0", "5:80.0", "5:20.01", "5:80.01", "end"},
       {"take 1 c=2 0.01", "take 1 c=0 20", "take 1 c=1 80", "part 1 OK", "take 2 c=2 0.02",
        "take 2 c=0 20.01", "take 2 c=1 80.01", "part 2 OK"},
       2,
       0,
       0},
      {"repeat with nothing taken does nothing",
       false,
       {"repeat", "6:0.01", "end"},
       {"take 1 c=2 0.01", "part 1 incomplete"},
       0,
       0,
       0},
  };
  for (const TCase& c : cases) {
    TLog log;
    TPartRouter router(Shaft(c.PartIds), log);
    std::size_t held = 0;
    for (const std::string& step : c.Script) {
      if (step == "end") {
        held = router.End().size();
      } else if (step == "repeat") {
        router.Repeat();
      } else if (step.rfind("id:", 0) == 0) {
        router.SetPartId(step.substr(3));
      } else {
        const auto colon = step.find(':');
        router.Received(
            {std::stoi(step.substr(0, colon)), std::stod(step.substr(colon + 1)), "", {}});
      }
    }
    EXPECT_EQ(c.Expected, log.Lines) << c.Name;
    EXPECT_EQ(c.Ok, router.OkParts()) << c.Name;
    EXPECT_EQ(c.Nok, router.NokParts()) << c.Name;
    EXPECT_EQ(c.HeldAtEnd, held) << c.Name;
  }
}

TEST(PartRouter, TheStateThePlanWindowShows) {
  TLog log;
  TPartRouter router(Shaft(true), log);
  EXPECT_TRUE(router.WaitsForId());
  EXPECT_EQ(1, router.Part());
  router.Received({6, 0.01, "+0.010", {}});
  EXPECT_EQ(1u, router.Held());
  EXPECT_EQ(0, router.NextCharacteristic());
  ASSERT_TRUE(router.SetPartId("S-0042"));
  EXPECT_FALSE(router.SetPartId("S-0043")) << "the part has its id";
  EXPECT_EQ("S-0042", router.PartId());
  EXPECT_EQ(0u, router.Held());
  ASSERT_TRUE(router.Values()[2]);
  EXPECT_EQ("+0.010", router.Values()[2]->Text);
  EXPECT_EQ(0, router.NextCharacteristic());
  router.Received({5, 20.0, "", {}});
  EXPECT_EQ(1, router.NextCharacteristic());
  router.Received({5, 80.0, "", {}});
  EXPECT_EQ(2, router.Part());
  EXPECT_TRUE(router.WaitsForId());
  EXPECT_EQ("", router.PartId());
}

TEST(PartRouter, LimitsBoundOnlyWhereTheyAreSet) {
  struct {
    std::optional<double> Lower, Upper;
    double Value;
    bool Inside;
  } cases[] = {
      {1.0, 2.0, 1.0, true},
      {1.0, 2.0, 2.0, true},
      {1.0, 2.0, 0.999, false},
      {1.0, 2.0, 2.001, false},
      {std::nullopt, 2.0, -50.0, true},
      {1.0, std::nullopt, 1e9, true},
      {std::nullopt, std::nullopt, 0.0, true},
  };
  for (const auto& c : cases) {
    TCharacteristic ch;
    ch.Lower = c.Lower;
    ch.Upper = c.Upper;
    EXPECT_EQ(c.Inside, Inside(ch, c.Value)) << c.Value;
  }
}

}  // namespace
}  // namespace pzam::plan
