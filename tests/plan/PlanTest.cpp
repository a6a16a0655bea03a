#include "plan/Plan.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/Errors.h"
#include "support/TempDir.h"

namespace pzam::plan {
namespace {

using test::FileContent;
using test::TTempDir;
using test::WriteFile;

// Where a problem is (row, key), as the plan window marks it; every reason is one line.
using TPlace = std::pair<int, std::string>;
std::vector<TPlace> Places(const std::vector<TPlanProblem>& problems) {
  std::vector<TPlace> places;
  for (const auto& p : problems) {
    EXPECT_TRUE(!p.Reason.empty() && p.Reason.find('\n') == std::string::npos) << p.Reason;
    places.emplace_back(p.Row, p.Field);
  }
  return places;
}

struct TRead {
  bool Ok;
  TPlan Plan;
  std::vector<TPlanProblem> Problems;
  std::string Error;
};
TRead Read(const std::string& path) {
  TRead r;
  r.Ok = ReadPlan(path, r.Plan, r.Problems, r.Error);
  return r;
}

// Name, Nominal, Lower, Upper, Unit, Decimals, Port, Mode, Cable, SignSwap.
TPlan ShaftPlan() {
  TPlan p{"Shaft 12", "4711-A", "Welle", true, {}};
  p.Characteristics = {{"Diameter", 12, 11.95, 12.05, "mm", 3, 3, 0, 0, false},
                       {"Length", {}, {}, 80.2, "mm", 2, 4, 2, 1, true}};
  return p;
}

// The file format, byte for byte: the plan window writes it and operators edit it by hand.
TEST(PlanFile, WritesTheWholeFileWithCrLf) {
  TTempDir dir;
  const auto path = dir.File("shaft.plan");
  WriteFile(path, "[Characteristic3]\r\nName=old\r\n");  // replaced, not merged
  WritePlan(path, ShaftPlan());
  EXPECT_EQ(FileContent(path),
            "[Plan]\r\nName=Shaft 12\r\nPartNumber=4711-A\r\nPartName=Welle\r\nPartIds=1\r\n"
            "\r\n[Characteristic1]\r\nName=Diameter\r\nNominal=12\r\nLower=11.95\r\n"
            "Upper=12.05\r\nUnit=mm\r\nDecimals=3\r\nPort=COM3\r\nMode=0\r\nCable=duplex\r\n"
            "SignSwap=0\r\n"
            "\r\n[Characteristic2]\r\nName=Length\r\nNominal=\r\nLower=\r\nUpper=80.2\r\n"
            "Unit=mm\r\nDecimals=2\r\nPort=COM4\r\nMode=2\r\nCable=simplex\r\nSignSwap=1\r\n");
}

TEST(PlanFile, ReadsBackWhatItWrote) {
  TPlan texts = ShaftPlan();  // texts the profile functions would trim or unquote
  texts.Name = "Gehäuse Größe 3 µm";
  texts.PartNumber = "  blanks around  ";
  texts.PartName = "\"quoted\"";
  texts.Characteristics[0].Name = "'single'";
  texts.Characteristics[1].Name = "a=b ; [c]";

  TPlan numbers{.Name = "one-sided limits, numbers %.15g does not hold"};
  for (double v : {0.1 + 0.2, 1.0 / 3, -2.5e-7, -0.0, DBL_MIN, DBL_MAX, 5e-324, -1e22}) {
    numbers.Characteristics.push_back({.Name = "x", .Nominal = v, .Lower = -v});
    numbers.Characteristics.push_back({.Name = "y", .Upper = v, .Decimals = -4});
  }

  TPlan full{.Name = "full"};
  auto& all = full.Characteristics;
  for (int i = 1; i <= kMaxCharacteristics; ++i)
    all.push_back({"c", i / 7.0, -i * 1e-3, {}, "", i % 7, i, i % 2 * 2, i % 2, i % 3 > 0});

  TTempDir dir;
  const auto path = dir.File("p.plan");
  for (const TPlan& plan : {texts, numbers, full, TPlan{}, ShaftPlan()}) {
    WritePlan(path, plan);
    const TRead r = Read(path);
    EXPECT_TRUE(r.Ok && r.Problems.empty()) << r.Error;
    EXPECT_EQ(r.Plan, plan) << FileContent(path);
  }
}

// A plan as an editor leaves it: a UTF-8 mark, LF, comments, any letter case, blanks and quotes,
// unknown keys; an empty section ends the characteristics.
TEST(PlanFile, ReadsFilesWrittenByHand) {
  TTempDir dir;
  const auto path = dir.File("hand.plan");
  WriteFile(path,
            "\xEF\xBB\xBF; by hand\n[plan]\n name = \" Bore \" \nPARTIDS=1\nExtra=1\n"
            "[characteristic1]\nport=com7\nCABLE=Simplex\nname=Bore\nlower= -0.5 \nupper=1e-1\n"
            "signswap=1\n[Characteristic2]\n[Characteristic3]\nName=unread\n");
  TPlan expected{.Name = " Bore ", .PartIds = true};
  expected.Characteristics.push_back(
      {.Name = "Bore", .Lower = -0.5, .Upper = 0.1, .Port = 7, .Cable = 1, .SignSwap = true});
  const TRead r = Read(path);
  EXPECT_TRUE(r.Ok && r.Problems.empty()) << r.Error;
  EXPECT_EQ(r.Plan, expected);
}

TEST(PlanFile, ValuesThatCannotBeReadBecomeProblems) {
  using K = TPlanProblemKind;
  const struct {
    std::string line;
    TPlace place;
    std::string shown;  // the reason quotes the value, and it is the kind's one argument
    K kind;
  } cases[] = {
      {"Nominal=1,5", {1, "Nominal"}, "1,5", K::NotANumber},
      {"Lower=abc", {1, "Lower"}, "abc", K::NotANumber},
      {"Upper=1e999", {1, "Upper"}, "1e999", K::NotANumber},
      {"Decimals=2.0", {1, "Decimals"}, "2.0", K::NotAWholeNumber},
      {"Port=COM0", {1, "Port"}, "COM0", K::NotAPort},
      {"Port=COM100", {1, "Port"}, "COM100", K::NotAPort},
      {"Port=3", {1, "Port"}, "3", K::NotAPort},
      {"Port=/dev/ttyS0", {1, "Port"}, "/dev/ttyS0", K::NotAPort},
      {"Mode=1", {1, "Mode"}, "1", K::NotAMode},
      {"Mode=x", {1, "Mode"}, "x", K::NotAMode},
      {"Cable=full", {1, "Cable"}, "full", K::NotACable},
      {"Cable=1", {1, "Cable"}, "1", K::NotACable},
      {"SignSwap=2", {1, "SignSwap"}, "2", K::NotAFlag},
      {"SignSwap=yes", {1, "SignSwap"}, "yes", K::NotAFlag},
      {"PartIds=on", {0, "PartIds"}, "on", K::NotAFlag},
  };
  TTempDir dir;
  const auto path = dir.File("bad.plan");
  for (const auto& c : cases) {
    const std::string line = c.line + "\r\n";  // in [Plan] for row 0
    WriteFile(path, "[Plan]\r\nName=P\r\n" + (c.place.first == 0 ? line : "") +
                        "[Characteristic1]\r\nName=C\r\n" + (c.place.first == 1 ? line : ""));
    const TRead r = Read(path);
    ASSERT_TRUE(r.Ok) << c.line;
    EXPECT_EQ(Places(r.Problems), std::vector<TPlace>{c.place}) << c.line;
    if (r.Problems.empty()) continue;
    EXPECT_NE(r.Problems[0].Reason.find(c.shown), std::string::npos) << r.Problems[0].Reason;
    EXPECT_EQ(r.Problems[0].Kind, c.kind) << c.line;
    EXPECT_EQ(r.Problems[0].Args, std::vector<std::string>{c.shown}) << c.line;
    // The field keeps its default.
    EXPECT_EQ(r.Plan.Characteristics, std::vector<TCharacteristic>{{.Name = "C"}}) << c.line;
    EXPECT_FALSE(r.Plan.PartIds);
  }

  // Each reported once, in file order; past 99 characteristics the file is not read on.
  std::string many = "[Plan]\r\nName=P\r\n[Characteristic1]\r\nMode=4\r\nNominal=-\r\n";
  for (int i = 2; i <= 101; ++i) many += "[Characteristic" + std::to_string(i) + "]\r\nLower=\r\n";
  WriteFile(path, many);
  const TRead r = Read(path);
  EXPECT_EQ(Places(r.Problems), (std::vector<TPlace>{{1, "Nominal"}, {1, "Mode"}, {0, ""}}));
  EXPECT_EQ(r.Plan.Characteristics.size(), 99u);
}

TEST(PlanFile, FilesWithoutAPlanAreRefusedAndChangeNothing) {
  TTempDir dir;
  const auto path = dir.File("x.plan");
  for (const std::string text : {"", "[Characteristic1]\nName=c\n", "[Plan]\n[X]\nName=x\n",
                                 "; [Plan]\nName=x\n", "<missing>", "<folder>"}) {
    const std::string file = text == "<missing>"  ? dir.File("none.plan")
                             : text == "<folder>" ? dir.Path()
                                                  : path;
    if (file == path) WriteFile(path, text);
    TPlan plan = ShaftPlan();
    std::vector<TPlanProblem> problems{{1, "x", "y", TPlanProblemKind::NoName, {}}};
    std::string error;
    EXPECT_FALSE(ReadPlan(file, plan, problems, error)) << text;
    EXPECT_NE(error.find(file), std::string::npos) << error;
    EXPECT_EQ(plan, ShaftPlan());
    // The one problem says the same, for a window to say it in its language.
    const TPlanProblemKind kind =
        text.starts_with('<') ? TPlanProblemKind::FileUnreadable : TPlanProblemKind::NoPlanSection;
    EXPECT_EQ(problems, (std::vector<TPlanProblem>{{0, "", error, kind, {file}}})) << text;
  }
}

TEST(PlanFile, AFileThatCannotBeWrittenThrows) {
  TTempDir dir;
  std::filesystem::create_directory(dir.Dir() / "folder.plan");
  for (const auto& path : {dir.File("folder.plan"), dir.File("missing") + "/x.plan"})
    EXPECT_THROW(WritePlan(path, ShaftPlan()), EIniFileError) << path;
  EXPECT_TRUE(std::filesystem::is_directory(dir.Dir() / "folder.plan"));
}

TEST(CheckPlan, ReportsEachProblemOnItsField) {
  using TChange = std::function<void(TPlan&, TCharacteristic & first, TCharacteristic & second)>;
  const auto onCom3 = [](TPlan& p, int mode, int cable, bool sign) {
    p.Characteristics.push_back(
        {.Name = "c", .Port = 3, .Mode = mode, .Cable = cable, .SignSwap = sign});
  };
  const struct {
    const char* what;
    TChange change;
    std::vector<TPlace> places;
  } cases[] = {
      {"usable", [](auto&, auto&, auto&) {}, {}},
      {"no name", [](auto& p, auto&, auto&) { p.Name = ""; }, {{0, "Name"}}},
      {"blank name", [](auto& p, auto&, auto&) { p.Name = " \t"; }, {{0, "Name"}}},
      {"no characteristic", [](auto& p, auto&, auto&) { p.Characteristics.clear(); }, {{0, ""}}},
      {"100", [](auto& p, auto& a, auto&) { p.Characteristics.resize(100, a); }, {{0, ""}}},
      {"nameless", [](auto&, auto&, auto& b) { b.Name = ""; }, {{2, "Name"}}},
      {"lower = upper", [](auto&, auto& a, auto&) { a.Lower = a.Upper = 12; }, {{1, "Upper"}}},
      {"lower above", [](auto&, auto& a, auto&) { a.Lower = 13; }, {{1, "Nominal"}, {1, "Upper"}}},
      {"NaN", [](auto&, auto& a, auto&) { a.Upper = NAN; }, {{1, "Nominal"}, {1, "Upper"}}},
      {"nominal on a limit", [](auto&, auto& a, auto&) { a.Nominal = 12.05; }, {}},
      {"nominal below", [](auto&, auto& a, auto&) { a.Nominal = 11; }, {{1, "Nominal"}}},
      {"above upper only", [](auto&, auto&, auto& b) { b.Nominal = 81; }, {{2, "Nominal"}}},
      {"decimals -1", [](auto&, auto& a, auto&) { a.Decimals = -1; }, {{1, "Decimals"}}},
      {"decimals 7", [](auto&, auto&, auto& b) { b.Decimals = 7; }, {{2, "Decimals"}}},
      {"no port", [](auto&, auto& a, auto&) { a.Port = 0; }, {{1, "Port"}}},
      {"COM100", [](auto&, auto&, auto& b) { b.Port = 100; }, {{2, "Port"}}},
      {"mode 1", [](auto&, auto& a, auto&) { a.Mode = 1; }, {{1, "Mode"}}},
      {"cable 2", [](auto&, auto&, auto& b) { b.Cable = 2; }, {{2, "Cable"}}},
      {"port shared alike", [&](auto& p, auto&, auto&) { onCom3(p, 0, 0, false); }, {}},
      {"another mode", [&](auto& p, auto&, auto&) { onCom3(p, 2, 0, false); }, {{3, "Port"}}},
      {"another cable", [&](auto& p, auto&, auto&) { onCom3(p, 0, 1, false); }, {{3, "Port"}}},
      {"another sign", [&](auto& p, auto&, auto&) { onCom3(p, 0, 0, true); }, {{3, "Port"}}},
      {"each row once",
       [&](auto& p, auto&, auto&) {
         onCom3(p, 3, 1, true);
         onCom3(p, 0, 0, false);
         onCom3(p, 2, 0, false);
       },
       {{3, "Port"}, {5, "Port"}}},
  };
  for (const auto& c : cases) {
    TPlan plan = ShaftPlan();
    c.change(plan, plan.Characteristics[0], plan.Characteristics[1]);
    EXPECT_EQ(Places(CheckPlan(plan)), c.places) << c.what;
  }
}

TEST(CheckPlan, PortsOnceInOrderOfFirstUse) {
  TPlan plan;
  for (int port : {4, 3, 4, 0, 100, 12, 3}) plan.Characteristics.push_back({.Port = port});
  EXPECT_EQ(PlanPorts(plan), (std::vector<int>{4, 3, 12}));
}

}  // namespace
}  // namespace pzam::plan
