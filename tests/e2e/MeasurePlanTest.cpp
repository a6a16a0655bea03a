// pzam-tool measure --plan against two simulated gauges: a gauge that sends (mode 0) measuring
// two characteristics and a Quorvant instrument (mode 3) measuring the third, parts with ids
// typed on stdin. The record files, the part lines and the journal hold what the gauges sent,
// each value in its part and characteristic.
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <functional>
#include <thread>

#include "E2eFixture.h"
#include "config/Profile.h"
#include "plan/PartRouter.h"
#include "plan/Plan.h"
#include "plant/Journal.h"
#include "plant/JournalPath.h"

namespace pzam::e2e {
namespace {

// The value text of each text a simulator sent: after "@IST" in a gauge telegram, the text
// itself for a signed instrument.
std::vector<std::string> ValueTexts(const std::vector<std::string>& sent) {
  std::vector<std::string> texts;
  for (const std::string& s : sent) {
    const std::size_t ist = s.find("@IST");
    if (ist != std::string::npos) {
      texts.push_back(s.substr(ist + 4, 8));
    } else if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
      texts.push_back(s);
    }
  }
  return texts;
}

TEST(MeasurePlan, PartsOfTwoGaugesGoToTheirCharacteristics) {
  TTestDirs dirs;
  TSim zam(dirs, "zam.log", {"--instrument", "zam", "--interval", "150", "--count", "8"});
  ASSERT_TRUE(zam.WaitForPort()) << zam.Process().Stderr();
  TSim quorvant(dirs, "quorvant.log",
                {"--instrument", "quorvant", "--interval", "300", "--count", "4"});
  ASSERT_TRUE(quorvant.WaitForPort()) << quorvant.Process().Stderr();

  plan::TPlan p;
  p.Name = "Shaft";
  p.PartNumber = "4711-01";
  p.PartIds = true;
  const int zamPort = std::stoi(zam.Port().substr(3)), qPort = std::stoi(quorvant.Port().substr(3));
  p.Characteristics = {{"Diameter", 12.345, 12.33, 12.36, "mm", 3, zamPort, 0, 0, false},
                       {"Length", 12.345, 12.33, 12.36, "mm", 3, zamPort, 0, 0, false},
                       {"Runout", std::nullopt, std::nullopt, 12.36, "mm", 3, qPort, 3, 0, false}};
  const std::string planFile = dirs.File("shaft.ini");
  plan::WritePlan(planFile, p);
  WriteProfileString(dirs.Config(), "Export", "Dfq", "1");

  TChildProcess measure({BinPath("pzam-tool"),
                         {"measure", "--plan", planFile, "--config", dirs.Config(), "--save", "2",
                          "--batch", "P1", "--language", "english"},
                         dirs.Work(),
                         {"LC_ALL=C"}});
  for (int part = 1; part <= 4; ++part) {
    measure.WriteStdin("id S-" + std::to_string(part) + "\n");
    ASSERT_TRUE(measure.WaitForStdout(
        "part=" + std::to_string(part) + " id=S-" + std::to_string(part) + " result=", 15s))
        << measure.Stdout() << measure.Stderr();
  }
  measure.WriteStdin("q\n");
  ASSERT_EQ(0, measure.WaitForExit(10s)) << measure.Stderr();
  EXPECT_EQ(0, CountOf(measure.Stdout(), "incomplete"));

  // The journal: every value in order, in its part with its id and characteristic.
  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(plant::JournalPathFor(dirs.Config())));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", journal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  EXPECT_EQ("Shaft", runs[0].Start.PlanName.value_or(""));
  EXPECT_EQ("4711-01", runs[0].Start.PartNumber.value_or(""));
  EXPECT_FALSE(runs[0].Start.PartName) << "the plan has no part name";
  // The plan's characteristics as the run started with them.
  ASSERT_EQ(p.Characteristics.size(), runs[0].Start.Characteristics.size());
  for (std::size_t i = 0; i < p.Characteristics.size(); ++i) {
    const plan::TCharacteristic& want = p.Characteristics[i];
    EXPECT_EQ((plant::TCharacteristicRecord{want.Name, want.Nominal, want.Lower, want.Upper,
                                            want.Unit, want.Decimals, want.Port, want.Mode}),
              runs[0].Start.Characteristics[i])
        << i;
  }
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", journal.RunValues(runs[0].Start.RunId, values));
  ASSERT_EQ(12u, values.size());
  const auto zamTexts = ValueTexts(zam.Sent()), qTexts = ValueTexts(quorvant.Sent());
  ASSERT_EQ(8u, zamTexts.size());
  ASSERT_EQ(4u, qTexts.size());
  std::size_t nextZam = 0, nextQ = 0;
  std::vector<std::vector<std::string>> perCharacteristic(3);
  for (const plant::TValueRecord& v : values) {
    ASSERT_TRUE(v.Part) << v.Seq;
    EXPECT_EQ("S-" + std::to_string(*v.Part), v.PartId.value_or("")) << v.Seq;
    const bool onZam = v.Characteristic != 3;
    // The gauge's values alternate between diameter and length, in the order it sent them.
    EXPECT_EQ(onZam ? zamTexts.at(nextZam++) : qTexts.at(nextQ++), v.Text) << v.Seq;
    if (onZam) {
      EXPECT_EQ(nextZam % 2 == 1 ? 1 : 2, v.Characteristic) << v.Seq;
    }
    perCharacteristic[v.Characteristic - 1].push_back(v.Text);
  }
  // One record file per characteristic, a row for each of its values.
  const auto files = FilesIn(dirs.Work());
  for (int c = 1; c <= 3; ++c) {
    const auto it = std::find_if(files.begin(), files.end(), [c](const std::string& f) {
      return f.ends_with("_P1_" + std::to_string(c) + ".csv");
    });
    ASSERT_NE(files.end(), it) << c;
    const auto rows = Lines(ReadFile(dirs.Work() + "/" + *it));
    ASSERT_EQ(5u, rows.size()) << *it;  // the header and four parts
    for (std::size_t r = 1; r < rows.size(); ++r) {
      const std::string& text = perCharacteristic[c - 1][r - 1];
      const double expected = std::stod(text);
      const std::string cell = rows[r].substr(rows[r].find(';', rows[r].find(';') + 1) + 5);
      EXPECT_DOUBLE_EQ(expected, std::stod(cell.substr(0, cell.find(';')))) << rows[r];
    }
  }
  // [Export] Dfq=1: the transfer file named as the run holds each part's values in order, each
  // with its part's id, the value as the gauge sent it (three decimals, "." and no "+").
  const auto dfq = std::find_if(files.begin(), files.end(),
                                [](const std::string& f) { return f.ends_with("_P1.dfq"); });
  ASSERT_NE(files.end(), dfq);
  const std::string bytes = ReadFile(dirs.Work() + "/" + *dfq);
  EXPECT_EQ(0u, bytes.find("K0100 3\r\nK1001 4711-01\r\nK1002 Shaft\r\n"));
  std::size_t at = 0;
  for (std::size_t part = 0; part < 4; ++part) {
    for (int c = 1; c <= 3; ++c) {
      char value[32];
      std::snprintf(value, sizeof value, "%.3f", std::stod(perCharacteristic[c - 1][part]));
      const std::string n = std::to_string(c);
      const std::string head = "K0001/" + n + " " + value + "\r\nK0002/" + n + " 0\r\n";
      at = bytes.find(head, at);
      ASSERT_NE(std::string::npos, at) << head << bytes;
      EXPECT_EQ(at + head.size() + 29, bytes.find("K0006/" + n + " P1\r\nK0014/" + n + " S-" +
                                                      std::to_string(part + 1) + "\r\n",
                                                  at))
          << "after its date and time " << head;
    }
  }
}

}  // namespace
}  // namespace pzam::e2e

namespace pzam::e2e {
namespace {

// True when `part` is `whole` with some elements left out, in the same order.
bool InOrderWithin(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  std::size_t at = 0;
  for (const std::string& p : part) {
    while (at < whole.size() && whole[at] != p) ++at;
    if (at++ >= whole.size()) return false;
  }
  return true;
}

// One of the two gauges is pulled during the run and comes back: the run says so, the other
// gauge's port stays open, and every part takes its values from the right gauge in order.
TEST(MeasurePlan, OneGaugePulledTheOtherGoesOn) {
  TTestDirs dirs;
  TSim first(dirs, "zam1.log",
             {"--instrument", "zam", "--port", "COM42", "--interval", "250", "--seed", "31"});
  ASSERT_TRUE(first.WaitForPort());
  TSim quorvant(dirs, "quorvant.log",
                {"--instrument", "quorvant", "--port", "COM43", "--interval", "500"});
  ASSERT_TRUE(quorvant.WaitForPort());
  plan::TPlan p;
  p.Name = "Shaft";
  p.Characteristics = {
      {"Diameter", std::nullopt, std::nullopt, std::nullopt, "mm", 3, 42, 0, 0, false},
      {"Length", std::nullopt, std::nullopt, std::nullopt, "mm", 3, 42, 0, 0, false},
      {"Runout", std::nullopt, std::nullopt, std::nullopt, "mm", 3, 43, 3, 0, false}};
  const std::string planFile = dirs.File("shaft.ini");
  plan::WritePlan(planFile, p);
  TChildProcess measure(
      {BinPath("pzam-tool"),
       {"measure", "--plan", planFile, "--config", dirs.Config(), "--save", "2", "--batch", "P2"},
       dirs.Work(),
       {"LC_ALL=C"}});
  ASSERT_TRUE(measure.WaitForStdout("part=1 ", 15s)) << measure.Stdout() << measure.Stderr();
  first.Process().Signal(SIGKILL);
  DeleteProfileKey(dirs.Config(), "Ports", "COM42");
  ASSERT_TRUE(measure.WaitForStdout(kRemoved, 5s)) << measure.Stdout();
  TSim second(dirs, "zam2.log",
              {"--instrument", "zam", "--port", "COM42", "--interval", "250", "--seed", "32"});
  ASSERT_TRUE(second.WaitForPort());
  ASSERT_TRUE(measure.WaitForStdout(kBack, 10s)) << measure.Stdout() << measure.Stderr();
  const int partsBefore = CountOf(measure.Stdout(), "part=");
  ASSERT_TRUE(measure.WaitForStdout("part=", 20s, partsBefore + 2)) << measure.Stdout();
  measure.WriteStdin("q\n");
  ASSERT_EQ(0, measure.WaitForExit(10s)) << measure.Stderr();
  EXPECT_EQ(1, CountOf(measure.Stdout(), kRemoved));
  EXPECT_EQ(1, CountOf(measure.Stdout(), kBack));

  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(plant::JournalPathFor(dirs.Config())));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", journal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", journal.RunValues(runs[0].Start.RunId, values));
  std::vector<std::string> fromZam, fromQuorvant;
  for (const plant::TValueRecord& v : values)
    (v.Characteristic == 3 ? fromQuorvant : fromZam).push_back(v.Text);
  auto zamSent = ValueTexts(first.Sent());
  const auto secondSent = ValueTexts(second.Sent());
  zamSent.insert(zamSent.end(), secondSent.begin(), secondSent.end());
  EXPECT_TRUE(InOrderWithin(fromZam, zamSent));
  EXPECT_TRUE(InOrderWithin(fromQuorvant, ValueTexts(quorvant.Sent())));
  EXPECT_GE(fromQuorvant.size(), static_cast<std::size_t>(partsBefore + 2));
}

}  // namespace
}  // namespace pzam::e2e

namespace pzam::e2e {
namespace {

// A Sylvac gauge on a simplex cable (a value each time its port is opened again) and a gauge
// that sends on its own: each part's head is asked for with "take 1"; what the other gauge sends
// beyond a part ahead is refused and said.
TEST(MeasurePlan, SylvacValuesAreTakenOnRequest) {
  TTestDirs dirs;
  TSim sylvac(dirs, "sylvac.log", {"--instrument", "sylvac", "--cable", "simplex"});
  ASSERT_TRUE(sylvac.WaitForPort()) << sylvac.Process().Stderr();
  TSim zam(dirs, "zam.log", {"--instrument", "zam", "--interval", "150"});
  ASSERT_TRUE(zam.WaitForPort()) << zam.Process().Stderr();
  const int sPort = std::stoi(sylvac.Port().substr(3)), zPort = std::stoi(zam.Port().substr(3));
  plan::TPlan p;
  p.Name = "Bolt";
  p.Characteristics = {
      {"Head", std::nullopt, std::nullopt, std::nullopt, "mm", 3, sPort, 2, 1, false},
      {"Shank", std::nullopt, std::nullopt, std::nullopt, "mm", 3, zPort, 0, 0, false}};
  const std::string planFile = dirs.File("bolt.ini");
  plan::WritePlan(planFile, p);
  TChildProcess measure(
      {BinPath("pzam-tool"),
       {"measure", "--plan", planFile, "--config", dirs.Config(), "--save", "2", "--batch", "P3"},
       dirs.Work(),
       {"LC_ALL=C"}});
  constexpr int kParts = 5;
  ASSERT_TRUE(sylvac.Process().WaitForStderr("port opened", 5s)) << measure.Stderr();
  for (int part = 1; part <= kParts; ++part) {
    const int headLines = CountOf(measure.Stdout(), "Head: ");
    measure.WriteStdin("take 1\n");
    ASSERT_TRUE(measure.WaitForStdout("part=" + std::to_string(part) + " ", 15s))
        << measure.Stdout() << measure.Stderr();
    EXPECT_EQ(headLines + 1, CountOf(measure.Stdout(), "Head: ")) << part;
  }
  measure.WriteStdin("q\n");
  ASSERT_EQ(0, measure.WaitForExit(10s)) << measure.Stderr();

  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(plant::JournalPathFor(dirs.Config())));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", journal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", journal.RunValues(runs[0].Start.RunId, values));
  std::vector<std::string> heads, shanks;
  for (const plant::TValueRecord& v : values) {
    (v.Characteristic == 1 ? heads : shanks).push_back(v.Text);
    EXPECT_EQ(v.Characteristic == 1 ? heads.size() : shanks.size(),
              static_cast<std::size_t>(v.Part.value_or(0)))
        << "one value of each characteristic per part";
  }
  // Every value the Sylvac gauge sent is in the journal once, in order; the other gauge's values
  // in the order it sent them, those beyond a part ahead left out.
  EXPECT_EQ(ValueTexts(sylvac.Sent()), heads);
  EXPECT_TRUE(InOrderWithin(shanks, ValueTexts(zam.Sent())));
  EXPECT_GT(CountOf(measure.Stdout(), "ist ein Teil voraus"), 0);  // measure speaks German
}

}  // namespace
}  // namespace pzam::e2e

namespace pzam::e2e {
namespace {

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

// Fifty parts of a shaft: a gauge that sends (mode 0) gives two diameters, a Sylvac gauge on a
// simplex cable the runout on request. Every part has an id; a diameter is repeated; the run ends
// inside part 51. The journal holds every value the gauges sent, the repeated one marked; the
// record files hold the others, in part order; each part line judges what the journal holds.
TEST(MeasurePlan, FiftyPartsWithARepeatAndTheEndInsideAPart) {
  TTestDirs dirs;
  TSim zam(
      dirs, "zam.log",
      {"--instrument", "zam", "--interval", "250", "--mean", "20", "--sd", "0.006", "--seed", "7"});
  ASSERT_TRUE(zam.WaitForPort()) << zam.Process().Stderr();
  TSim sylvac(dirs, "sylvac.log",
              {"--instrument", "sylvac", "--cable", "simplex", "--mean", "0.012", "--sd", "0.005",
               "--seed", "11"});
  ASSERT_TRUE(sylvac.WaitForPort()) << sylvac.Process().Stderr();
  const int zPort = std::stoi(zam.Port().substr(3)), sPort = std::stoi(sylvac.Port().substr(3));
  plan::TPlan p;
  p.Name = "Shaft";
  p.PartNumber = "4711-01";
  p.PartIds = true;
  p.Characteristics = {{"Diameter seat", 20.0, 19.985, 20.015, "mm", 3, zPort, 0, 0, false},
                       {"Diameter collar", 20.0, 19.985, 20.015, "mm", 3, zPort, 0, 0, false},
                       {"Runout", std::nullopt, std::nullopt, 0.02, "mm", 3, sPort, 2, 1, false}};
  const std::string planFile = dirs.File("shaft.ini");
  plan::WritePlan(planFile, p);
  TChildProcess measure(
      {BinPath("pzam-tool"),
       {"measure", "--plan", planFile, "--config", dirs.Config(), "--save", "2", "--batch", "L50"},
       dirs.Work(),
       {"LC_ALL=C"}});
  ASSERT_TRUE(sylvac.Process().WaitForStderr("port opened", 5s)) << measure.Stderr();
  constexpr int kParts = 50, kRepeatPart = 17;
  // The values of a part the journal holds so far (the test reads it while the run writes).
  const auto journaled = [&](int part) {
    plant::TJournal reader;
    std::vector<plant::TRunRecord> runs;
    std::vector<plant::TValueRecord> values;
    if (!reader.Open(plant::JournalPathFor(dirs.Config())).empty() ||
        !reader.ListRuns(std::nullopt, runs).empty() || runs.empty() ||
        !reader.RunValues(runs[0].Start.RunId, values).empty())
      return 0;
    return static_cast<int>(std::count_if(values.begin(), values.end(), [part](const auto& v) {
      return v.Part.value_or(0) == part;
    }));
  };
  for (int part = 1; part <= kParts; ++part) {
    const std::string n = std::to_string(part);
    if (part != kRepeatPart) {
      measure.WriteStdin("id S-" + n + "\ntake 3\n");
    } else {
      // A diameter measured badly: once one is in, repeat takes the part's last value back and
      // the gauge's next value replaces it; then the runout.
      measure.WriteStdin("id S-" + n + "\n");
      ASSERT_TRUE(WaitFor([&] { return journaled(part) >= 1; }, 10s)) << measure.Stdout();
      measure.WriteStdin("repeat\ntake 3\n");
    }
    ASSERT_TRUE(measure.WaitForStdout("part=" + n + " id=S-" + n + " result=", 20s))
        << measure.Stdout() << measure.Stderr();
  }
  measure.WriteStdin("id S-51\n");
  std::this_thread::sleep_for(600ms);
  measure.WriteStdin("q\n");
  ASSERT_EQ(0, measure.WaitForExit(10s)) << measure.Stderr();
  EXPECT_EQ(1, CountOf(measure.Stdout(), "part=51 id=S-51 incomplete")) << measure.Stdout();

  plant::TJournal journal;
  ASSERT_EQ("", journal.Open(plant::JournalPathFor(dirs.Config())));
  std::vector<plant::TRunRecord> runs;
  ASSERT_EQ("", journal.ListRuns(std::nullopt, runs));
  ASSERT_EQ(1u, runs.size());
  std::vector<plant::TValueRecord> values;
  ASSERT_EQ("", journal.RunValues(runs[0].Start.RunId, values));
  // Every text each gauge sent, in the order sent, the repeated runout among them.
  // The value that replaces the repeated diameter may come after values already held for the
  // next part, so the repeated part's diameters are checked on their own.
  std::vector<std::string> onZam, onSylvac, repeatedPart;
  std::vector<std::vector<std::optional<plant::TValueRecord>>> parts(kParts + 2);
  int discarded = 0;
  for (const plant::TValueRecord& v : values) {
    (v.Characteristic == 3               ? onSylvac
     : v.Part.value_or(0) == kRepeatPart ? repeatedPart
                                         : onZam)
        .push_back(v.Text);
    ASSERT_TRUE(v.Part) << v.Seq;
    EXPECT_EQ("S-" + std::to_string(*v.Part), v.PartId.value_or("")) << v.Seq;
    if (v.Discarded) {
      ++discarded;
      EXPECT_EQ(kRepeatPart, *v.Part);
      EXPECT_NE(3, v.Characteristic) << "a diameter was repeated";
      continue;
    }
    auto& part = parts.at(static_cast<std::size_t>(*v.Part));
    part.resize(3);
    EXPECT_FALSE(part[v.Characteristic - 1]) << "one value per characteristic, part " << *v.Part;
    part[v.Characteristic - 1] = v;
  }
  EXPECT_EQ(1, discarded);
  // What the sending gauge gave beyond a part ahead was refused (and said); the rest is here.
  const std::vector<std::string> zamSent = ValueTexts(zam.Sent());
  EXPECT_TRUE(InOrderWithin(onZam, zamSent));
  EXPECT_EQ(3u, repeatedPart.size()) << "two diameters and the repeated one";
  for (const std::string& text : repeatedPart)
    EXPECT_NE(zamSent.end(), std::find(zamSent.begin(), zamSent.end(), text)) << text;
  EXPECT_EQ(ValueTexts(sylvac.Sent()), onSylvac);
  EXPECT_LE(kParts * 3 + 1 + 1, static_cast<int>(values.size()));

  // Each part line judges the values the journal holds for it; both results occur.
  int nok = 0;
  for (int part = 1; part <= kParts; ++part) {
    bool ok = true;
    for (int c = 0; c < 3; ++c) {
      const auto& v = parts[static_cast<std::size_t>(part)].at(static_cast<std::size_t>(c));
      ASSERT_TRUE(v) << part << " " << c;
      ok = ok && plan::Inside(p.Characteristics[static_cast<std::size_t>(c)], v->Value);
    }
    nok += ok ? 0 : 1;
    const std::string line = "part=" + std::to_string(part) + " id=S-" + std::to_string(part) +
                             " result=" + (ok ? "OK" : "NOK");
    EXPECT_EQ(1, CountOf(measure.Stdout(), line + "\n")) << line;
  }
  EXPECT_GT(nok, 0) << "the data holds a part outside its tolerance";
  EXPECT_LT(nok, kParts);

  // Each record file: a row per part in part order with the journal's value, part 51's
  // diameters too; the repeated diameter in none.
  const auto files = FilesIn(dirs.Work());
  for (int c = 1; c <= 3; ++c) {
    const auto it = std::find_if(files.begin(), files.end(), [c](const std::string& f) {
      return f.ends_with("_L50_" + std::to_string(c) + ".csv");
    });
    ASSERT_NE(files.end(), it) << c;
    const auto rows = Lines(ReadFile(dirs.Work() + "/" + *it));
    std::size_t expectedRows = 1;
    for (const auto& part : parts)
      if (part.size() == 3 && part[static_cast<std::size_t>(c - 1)]) ++expectedRows;
    EXPECT_LE(static_cast<std::size_t>(kParts + 1), expectedRows);
    ASSERT_EQ(expectedRows, rows.size()) << *it;
    for (std::size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(3u, parts.at(r).size()) << r;
      const auto& v = parts.at(r).at(static_cast<std::size_t>(c - 1));
      ASSERT_TRUE(v) << c << " row " << r;
      const std::string cell = rows[r].substr(rows[r].find(';', rows[r].find(';') + 1) + 5);
      EXPECT_DOUBLE_EQ(v->Value, std::stod(cell.substr(0, cell.find(';')))) << rows[r];
    }
  }
}

}  // namespace
}  // namespace pzam::e2e
