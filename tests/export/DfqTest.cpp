// The transfer file against the format's description: the line form, the order of the blocks,
// field lengths and their cuts, Windows-1252 bytes, the date form and the value texts.
#include "export/Dfq.h"

#include <gtest/gtest.h>

#include <regex>

#include "DfqReader.h"
#include "config/ExportSettings.h"
#include "export/Cp1252.h"
#include "support/TempDir.h"

namespace pzam::dfq {
namespace {

using test::ReadDfq;

TDfqFile TwoCharacteristics() {
  TDfqFile f;
  f.PartNumber = "4711-01";
  f.PartName = "Shaft";
  f.Characteristics = {{"Diameter", 3, 20.0, 19.95, 20.05, "mm"},
                       {"Runout", 2, std::nullopt, std::nullopt, 0.02, ""}};
  const TDateTime t{2026, 12, 8, 9, 5, 3};
  f.Sets = {{{TDfqValue{"20.010", t, "B9", "A1"}, TDfqValue{"0.01", t, "B9", "A1"}}},
            {{TDfqValue{"19.990", t, "B9", "A2"}, std::nullopt}}};
  return f;
}

// The blocks in the format's order: K0100 first, then the part (K1), the characteristics (K2),
// then the values (K0); every index within 1..K0100.
TEST(DfqTest, FieldsComeInTheFormatsOrderOneToALine) {
  const std::string bytes = DfqText(TwoCharacteristics()).Bytes;
  const auto r = ReadDfq(bytes);
  EXPECT_TRUE(r.Problems.empty()) << r.Problems.front();
  ASSERT_FALSE(r.Fields.empty());
  EXPECT_EQ("K0100", r.Fields[0].Key);
  EXPECT_EQ(0, r.Fields[0].Index) << "K0100 has no index";
  EXPECT_EQ("2", r.Fields[0].Value);
  auto block = [](const std::string& key) {
    return key == "K0100" ? 0 : key[1] == '1' ? 1 : key[1] == '2' ? 2 : 3;
  };
  for (std::size_t i = 1; i < r.Fields.size(); ++i) {
    EXPECT_LE(block(r.Fields[i - 1].Key), block(r.Fields[i].Key)) << r.Fields[i].Key;
    if (block(r.Fields[i].Key) >= 2) {
      EXPECT_GE(r.Fields[i].Index, 1) << r.Fields[i].Key;
      EXPECT_LE(r.Fields[i].Index, 2) << r.Fields[i].Key;
    }
  }
  EXPECT_EQ(std::string::npos, bytes.find("\n\n"));
  EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'),
            std::count(bytes.begin(), bytes.end(), '\r'));
}

TEST(DfqTest, CharacteristicsAndValuesAreReadBackField_by_field) {
  const auto r = ReadDfq(DfqText(TwoCharacteristics()).Bytes);
  struct {
    const char* Key;
    int Index;
    const char* Value;  // nullptr: not written
  } cases[] = {
      {"K1001", 0, "4711-01"},  {"K1002", 0, "Shaft"}, {"K2001", 1, "1"},
      {"K2002", 1, "Diameter"}, {"K2004", 1, "0"},     {"K2022", 1, "3"},
      {"K2101", 1, "20"},       {"K2110", 1, "19.95"}, {"K2111", 1, "20.05"},
      {"K2142", 1, "mm"},       {"K2001", 2, "2"},     {"K2002", 2, "Runout"},
      {"K2022", 2, "2"},        {"K2101", 2, nullptr}, {"K2110", 2, nullptr},
      {"K2111", 2, "0.02"},     {"K2142", 2, nullptr},
  };
  for (const auto& c : cases) {
    const auto it = r.Head.find({c.Key, c.Index});
    if (c.Value == nullptr) {
      EXPECT_EQ(r.Head.end(), it) << c.Key << "/" << c.Index;
    } else {
      ASSERT_NE(r.Head.end(), it) << c.Key << "/" << c.Index;
      EXPECT_EQ(c.Value, it->second) << c.Key << "/" << c.Index;
    }
  }
  // Two parts: the second has no runout, so its place is held by a placeholder (attribute 255).
  ASSERT_EQ(2u, r.Values.at(1).size());
  ASSERT_EQ(2u, r.Values.at(2).size());
  const auto& first = r.Values.at(1)[0];
  EXPECT_EQ("20.010", first.Value);
  EXPECT_EQ("0", first.Fields.at("K0002"));
  EXPECT_EQ("08.12.2026/09:05:03", first.Fields.at("K0004"));
  EXPECT_EQ("B9", first.Fields.at("K0006"));
  EXPECT_EQ("A1", first.Fields.at("K0014"));
  EXPECT_EQ("19.990", r.Values.at(1)[1].Value);
  EXPECT_EQ("A2", r.Values.at(1)[1].Fields.at("K0014"));
  EXPECT_EQ("255", r.Values.at(2)[1].Fields.at("K0002"));
}

// The format's lengths: K0006 14, K0014 40, K1001 30, K1002 80, K2002 80 characters. A text one
// longer is cut to the length and reported once, however many values carry it; one of the
// length is written whole.
TEST(DfqTest, TextsAreCutToTheirFieldsLengthAndEachCutIsReportedOnce) {
  struct {
    const char* Key;
    int Index;
    std::size_t Length;
    void (*Set)(TDfqFile&, const std::string&);
  } cases[] = {
      {"K0006", 1, 14,
       [](TDfqFile& f, const std::string& s) {
         for (auto& set : f.Sets) set.Values[0]->Batch = s;
       }},
      {"K0014", 1, 40,
       [](TDfqFile& f, const std::string& s) {
         for (auto& set : f.Sets) set.Values[0]->PartId = s;
       }},
      {"K1001", 0, 30, [](TDfqFile& f, const std::string& s) { f.PartNumber = s; }},
      {"K1002", 0, 80, [](TDfqFile& f, const std::string& s) { f.PartName = s; }},
      {"K2002", 1, 80, [](TDfqFile& f, const std::string& s) { f.Characteristics[0].Name = s; }},
  };
  for (const auto& c : cases) {
    for (std::size_t extra : {0u, 1u}) {
      // "Ä" is two bytes in UTF-8 and one character of the field.
      const std::string text = std::string(c.Length - 1, 'x') + (extra ? "\xC3\x84y" : "\xC3\x84");
      TDfqFile f = TwoCharacteristics();
      c.Set(f, text);
      const TDfqText out = DfqText(f);
      const auto r = ReadDfq(out.Bytes);
      std::vector<std::string> written;
      for (const auto& field : r.Fields)
        if (field.Key == c.Key && field.Index == c.Index) written.push_back(field.Value);
      ASSERT_FALSE(written.empty()) << c.Key;
      for (const auto& w : written) {
        EXPECT_EQ(c.Length, w.size()) << c.Key << " extra " << extra;
        EXPECT_EQ(std::string(c.Length - 1, 'x') + "\xC4", w) << c.Key;
      }
      EXPECT_EQ(extra, out.Cuts.size()) << c.Key;
      if (extra) {
        EXPECT_NE(std::string::npos, out.Cuts[0].find(c.Key)) << out.Cuts[0];
      }
    }
  }
}

TEST(DfqTest, TextsAreWindows1252ByteForByte) {
  struct {
    const char* In;
    const char* Out;
  } cases[] = {
      {"Welle \xC3\x98 20", "Welle \xD8 20"},                    // Ø, Latin-1 range
      {"\xE2\x82\xAC \xC5\x92 \xE2\x84\xA2", "\x80 \x8C \x99"},  // €, Œ, ™: 0x80..0x9F
      {"\xC2\xB5m", "\xB5m"},                                    // µ
      {"\xC5\x91\xE2\x86\x92\xF0\x9F\x98\x80", "???"},  // ő, →, an emoji: not in the code page
      {"M\xFC"
       "ller",
       "M\xFCller"},  // not UTF-8: taken as Windows-1252 already
      {"a\x81"
       "b",
       "a?b"},                           // an unassigned byte of the code page
      {"A1\r\nK0100 9", "A1??K0100 9"},  // a line break cannot start a field
      {"\xC0\x80", "\xC0\x80"},          // an overlong form is not UTF-8: its bytes are À and €
  };
  for (const auto& c : cases) EXPECT_EQ(std::string(c.Out), ToCp1252(c.In)) << c.In;
  TDfqFile f = TwoCharacteristics();
  f.PartName =
      "Deckel \xE2\x80\x93 \xC3\xA4u\xC3\x9F"
      "ere";
  EXPECT_NE(std::string::npos, DfqText(f).Bytes.find("K1002 Deckel \x96 \xE4u\xDF"
                                                     "ere\r\n"));
}

TEST(DfqTest, ValueTextsKeepTheGaugesDecimalsWithAPoint) {
  struct {
    const char* Text;
    double Value;
    const char* Out;
  } cases[] = {
      {"+012.340", 12.34, "12.340"}, {"-1,5", -1.5, "-1.5"},    {"  +20\r", 20, "20"},
      {"+001.000", -1.0, "-1.000"},  // sign swapped: the value counts, the text gives decimals
      {"-000.000", -0.0, "0.000"},   {"12.3 mm", 12.3, "12.3"}, {"", 0.125, "0.125"},
      {"+0.00001", 1e-5, "0.00001"}, {"1.2.3", 1.5, "1.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.Out, ValueText(c.Text, c.Value)) << c.Text;
}

TEST(DfqTest, DatesAndNames) {
  const std::regex form(R"(\d\d\.\d\d\.\d{4}/\d\d:\d\d:\d\d)");
  struct {
    TDateTime T;
    const char* Out;
  } dates[] = {{{2026, 12, 8, 9, 5, 3}, "08.12.2026/09:05:03"},
               {{2027, 1, 31, 23, 59, 59}, "31.01.2027/23:59:59"}};
  for (const auto& d : dates) {
    EXPECT_EQ(d.Out, DateTimeText(d.T));
    EXPECT_TRUE(std::regex_match(DateTimeText(d.T), form));
  }
  const auto t = FromIsoText("2026-12-09T21:30:05.123+01:00");
  ASSERT_TRUE(t);
  EXPECT_EQ("09.12.2026/21:30:05", DateTimeText(*t));
  for (const char* bad : {"", "2026-12-09 21:30:05", "2026-02-30T10:00:00Z", "2026-12-09T25:00:00"})
    EXPECT_FALSE(FromIsoText(bad)) << bad;
  struct {
    const char* In;
    const char* Out;
  } names[] = {
      {"20261209_142503_A7.csv", "20261209_142503_A7.dfq"},
      {"run/20261209.xls", "run/20261209.dfq"},
      {"a.b/run", "a.b/run.dfq"},
      {"0193a1b2-0000-7000-8000-000000000001", "0193a1b2-0000-7000-8000-000000000001.dfq"}};
  for (const auto& n : names) EXPECT_EQ(n.Out, DfqFileName(n.In));
  struct {
    const char* Number;
    const char* Plan;
    const char* File;
    const char* Out;
  } parts[] = {{"4711-01", "Shaft", "x.dfq", "4711-01"},
               {"", "Shaft", "x.dfq", "Shaft"},
               {"", "", "run/20261209_142503_A7.dfq", "20261209_142503_A7"}};
  for (const auto& p : parts) EXPECT_EQ(p.Out, PartNumberOr(p.Number, p.Plan, p.File));
}

TEST(DfqTest, ExportSettingIsOnOnlyWithDfqOne) {
  pzam::test::TTempDir dir;
  struct {
    const char* Content;
    bool Dfq;
  } cases[] = {
      {"[Export]\r\nDfq=1\r\n", true},  {"[Select]\r\nMode=0\r\n[export]\r\n dfq = 1 \r\n", true},
      {"[Export]\r\nDfq=0\r\n", false}, {"[Export]\r\nDfq=yes\r\n", false},
      {"[Plant]\r\nDfq=1\r\n", false},  {"", false}};
  for (const auto& c : cases) {
    pzam::test::WriteFile(dir.File("s.ini"), c.Content);
    EXPECT_EQ(c.Dfq, ReadExportSettings(dir.File("s.ini")).Dfq) << c.Content;
  }
  EXPECT_FALSE(ReadExportSettings(dir.File("missing.ini")).Dfq);
}

}  // namespace
}  // namespace pzam::dfq
