#include "config/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>

#include "common/Paths.h"
#include "common/TextEncoding.h"
#include "config/TextIds.h"
#include "support/TempDir.h"

namespace pzam {
namespace {

using test::TTempDir;
using test::WriteFile;

TEST(LanguageTexts, LookupInTheCurrentLanguageFile) {
  TTempDir dir;
  WriteFile(dir.File("lng_deutsch.lng"), "[deutsch]\n1008=Datensätze\n20011=\" sendet\"\n");
  WriteFile(dir.File("lng_alt.lng"),
            "[ALT]\r\n1008=Datens\xE4tze\r\n2006=Schlie\xDF"
            "en\r\n");
  TLanguageTexts texts;
  EXPECT_EQ("0", texts.Text(1008));  // before the first Load
  texts.Load(dir.Path(), "deutsch");
  EXPECT_EQ(dir.Path() + "lng_deutsch.lng", texts.FilePath());
  EXPECT_EQ("deutsch", texts.Language());
  EXPECT_EQ("Datensätze", texts.Text(1008));
  EXPECT_EQ(" sendet", texts.Text(20011));
  EXPECT_EQ("0", texts.Text(2001));

  texts.Load(dir.Path(), "alt");  // section matched without regard to case, Windows-1252 file
  EXPECT_EQ("Datensätze", texts.Text(1008));
  EXPECT_EQ("Schließen", texts.Text(2006));

  WriteFile(dir.File("lng_alt.lng"), "[alt]\n1008=new\n");  // read afresh on every lookup
  EXPECT_EQ("new", texts.Text(1008));
  // Saved as "Unicode" text: UTF-16 LE with its mark.
  WriteFile(dir.File("lng_alt.lng"), "\xFF\xFE" + Utf8ToUtf16Le("[alt]\r\n1008=Schließen\r\n"));
  EXPECT_EQ("Schließen", texts.Text(1008));

  for (const char* partial : {"e", "en", "eng", "0", ""}) {
    texts.Load(dir.Path(), partial);
    EXPECT_EQ("0", texts.Text(1008)) << partial;
  }
}

TEST(LanguageTexts, NamesWithPathSeparatorsReadNoFile) {
  TTempDir dir;
  std::filesystem::create_directory(dir.File("lng_x"));
  WriteFile(dir.File("lng_x/y.lng"), "[x/y]\n1=found\n");
  TLanguageTexts texts;
  texts.Load(dir.Path(), "x/y");
  EXPECT_EQ(dir.Path() + "lng_x/y.lng", texts.FilePath());
  EXPECT_EQ("0", texts.Text(1));
  EXPECT_EQ("found", LanguageText(texts.FilePath(), "x/y", 1));  // the file itself is readable
}

// The shipped language files, installed beside the executables.
std::string ShippedFile(const char* language) {
  return LanguageFilePath(ExecutableDir(), language);
}

std::set<int> IdsIn(const std::string& path) {
  std::ifstream in(path);
  std::set<int> ids;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == ';' || line[0] == '[') continue;
    ids.insert(std::stoi(line.substr(0, line.find('='))));
  }
  return ids;
}

TEST(LanguageFiles, BothFilesHoldEveryIdAndNothingElse) {
  const std::set<int> expected(textid::kAll.begin(), textid::kAll.end());
  EXPECT_EQ(textid::kAll.size(), expected.size());
  for (const char* language : {"deutsch", "english"}) {
    const auto path = ShippedFile(language);
    std::string content;
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    EXPECT_TRUE(IsValidUtf8(test::FileContent(path))) << path;
    EXPECT_EQ(expected, IdsIn(path)) << path;
    for (int id : textid::kAll) {
      const std::string text = LanguageText(path, language, id);
      EXPECT_NE("0", text) << language << " " << id;
      EXPECT_FALSE(text.empty()) << language << " " << id;
      // 9004 carries the port and the reason, the reasons 9018, 9019, 9030 and 9031 their device,
      // port or group; the plan window's part its number, its counts and its last part's line;
      // the plan's problems their values (the window's own test checks them one by one).
      const std::map<int, int> arguments = {{textid::kPortOpenFailed, 2},
                                            {9018, 1},
                                            {9019, 1},
                                            {9030, 1},
                                            {9031, 1},
                                            {9225, 1},
                                            {9228, 1},
                                            {9252, 1},
                                            {9253, 1},
                                            {9261, 1},
                                            {9266, 2},
                                            {9267, 3},
                                            {9277, 3},
                                            {9278, 2},
                                            {9282, 2},
                                            {9283, 1},
                                            {9285, 1},
                                            {9286, 2},
                                            {9287, 1},
                                            {9289, 1},
                                            {9290, 2},
                                            {9291, 1},
                                            {9292, 1},
                                            {9293, 1},
                                            {9294, 1},
                                            {9295, 1},
                                            {9296, 1},
                                            {9297, 1},
                                            {9298, 1},
                                            {9299, 1}};
      const auto placeholders = std::count(text.begin(), text.end(), '%');
      const auto it = arguments.find(id);
      EXPECT_EQ(it == arguments.end() ? 0 : it->second, placeholders) << language << " " << id;
    }
  }
}

TEST(LanguageFiles, QuotedBlanksAndUmlautsComeThrough) {
  const auto path = ShippedFile("deutsch");
  struct {
    int id;
    const char* text;
  } cases[] = {{1008, "Datensätze"},
               {2006, "Schließen"},
               {20011, " sendet"},
               {20014, " Quorvant"},
               {20032, "Excel-Datei     \"Datum_Charge\" .xls   anlegen"},
               {20033, "CSV-  Datei     \"Datum_Charge\".csv  anlegen"}};
  for (const auto& c : cases) EXPECT_EQ(c.text, LanguageText(path, "deutsch", c.id)) << c.id;
  // The operating-mode items keep their leading blank in English too.
  for (int id = textid::kModeItem0; id < textid::kModeItem0 + 4; ++id)
    EXPECT_EQ(' ', LanguageText(ShippedFile("english"), "english", id).front()) << id;
}

}  // namespace
}  // namespace pzam
