#include "config/ProfileText.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace pzam::profile {
namespace {

using namespace std::string_literals;

// What a read returns for section/key in content, or "<default>".
std::string Read(const std::string& content, const std::string& section, const std::string& key) {
  const auto raw = FindValue(content, section, key);
  return raw ? ReturnedValue(*raw) : "<default>";
}

TEST(ProfileText, LookupFollowsTheProfileRules) {
  const std::string file =
      "; settings\r\n"
      "Top=outside any section\r\n"
      "[Serial]\r\n"
      "COM=abc\r\n"
      "  [ select ]  \r\n"
      "  ReqMode  =   2   \r\n"
      "Quoted=\"  keeps inner blanks  \"\r\n"
      "Single=' single '\r\n"
      "OneQuote=\"open\r\n"
      "Mixed=\"a'\r\n"
      "Inner=a \"b\" c\r\n"
      "Twice=\"\"x\"\"\r\n"
      "Empty=\r\n"
      "EmptyQuotes=\"\"\r\n"
      "NoEquals\r\n"
      ";Commented=1\r\n"
      "Eq=a=b\r\n"
      "[Other]\r\n"
      "ReqMode=7\r\n"
      "[Select]\r\n"
      "Late=found in a second section of the same name\r\n"
      "ReqMode=9\r\n";
  struct {
    const char* section;
    const char* key;
    const char* expected;
  } cases[] = {{"Serial", "COM", "abc"},
               {"SERIAL", "com", "abc"},
               {" Serial ", " COM ", "abc"},
               {"Select", "ReqMode", "2"},  // first occurrence in the file wins
               {"Select", "Quoted", "  keeps inner blanks  "},
               {"Select", "Single", " single "},
               {"Select", "OneQuote", "\"open"},
               {"Select", "Mixed", "\"a'"},
               {"Select", "Inner", "a \"b\" c"},
               {"Select", "Twice", "\"x\""},  // only one pair is removed
               {"Select", "Empty", ""},
               {"Select", "EmptyQuotes", ""},
               {"Select", "NoEquals", "<default>"},
               {"Select", "Commented", "<default>"},
               {"Select", ";Commented", "<default>"},
               {"Select", "Eq", "a=b"},
               {"Select", "Late", "<default>"},  // a second section of the same name is not read
               {"Other", "ReqMode", "7"},
               {"Serial", "ReqMode", "<default>"},
               {"Missing", "COM", "<default>"},
               {"", "Top", "<default>"}};
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, Read(file, c.section, c.key)) << c.section << "/" << c.key;
}

TEST(ProfileText, ByteOrderMarkAndLastLineWithoutBreak) {
  EXPECT_EQ("1", Read("\xEF\xBB\xBF[A]\nk=1", "A", "k"));
  EXPECT_EQ("1", Read("[A]\r\nk=1\r", "A", "k"));
  EXPECT_EQ("<default>", Read("", "A", "k"));
  EXPECT_EQ("<default>", Read("[A\nk=1", "A", "k"));  // a header without "]" opens no section
}

TEST(ProfileText, ValuesAreCappedAt2047BytesWithoutSplittingCharacters) {
  EXPECT_EQ(std::string(2047, 'a'), ReturnedValue(std::string(3000, 'a')));
  EXPECT_EQ(std::string(2047, 'a'), ReturnedValue(std::string(2047, 'a')));
  // 2046 ASCII bytes and a two-byte character: the character would end at byte 2048.
  EXPECT_EQ(std::string(2046, 'a'), ReturnedValue(std::string(2046, 'a') + "ä"));
  // Quotes come off before the cap.
  EXPECT_EQ(std::string(2047, 'b'), ReturnedValue("\"" + std::string(2047, 'b') + "\""));
  // Windows-1252 bytes that only look like UTF-8 continuation bytes are cut at the limit.
  EXPECT_EQ(std::string(2047, '\x80'), ReturnedValue(std::string(2100, '\x80')));
  EXPECT_EQ("0", ReturnedDefault("0  \t"));
  EXPECT_EQ("  0", ReturnedDefault("  0"));
  EXPECT_EQ(std::string(2047, 'd'), ReturnedDefault(std::string(2050, 'd')));
}

TEST(ProfileText, SetValueChangesOnlyItsOwnLine) {
  const std::string before =
      "; comment at the top\n"
      "[Serial]\n"
      "com = old value ; no inline comments\n"
      "\n"
      "[Select]\n"
      "ReqMode=1\n"
      "; trailing comment of Select\n"
      "\n"
      "[Language]\n"
      "LastLanguage=deutsch";
  EXPECT_EQ(
      "; comment at the top\n"
      "[Serial]\n"
      "com=NEW\n"
      "\n"
      "[Select]\n"
      "ReqMode=1\n"
      "; trailing comment of Select\n"
      "\n"
      "[Language]\n"
      "LastLanguage=deutsch",
      SetValue(before, "SERIAL", "COM", "NEW"));
  // A new key goes after the last key of its section, before comments and blank lines.
  EXPECT_EQ(
      "; comment at the top\n"
      "[Serial]\n"
      "com = old value ; no inline comments\n"
      "\n"
      "[Select]\n"
      "ReqMode=1\n"
      "FileMode=2\n"
      "; trailing comment of Select\n"
      "\n"
      "[Language]\n"
      "LastLanguage=deutsch",
      SetValue(before, "select", "FileMode", "2"));
  // The last line had no line break: one is added before the new key.
  EXPECT_EQ(before + "\nX=1", SetValue(before, "Language", "X", "1"));
  EXPECT_EQ(before + "\n[Ports]\nCOM5=/dev/ttyUSB0\n",
            SetValue(before, "Ports", "COM5", "/dev/ttyUSB0"));
}

TEST(ProfileText, SetValueBuildsNewFilesAndKeepsLineEnds) {
  std::string file;
  file = SetValue(file, "Serial", "COM", "x");
  file = SetValue(file, "Select", "ReqMode", "0");
  file = SetValue(file, "Language", "LastLanguage", "deutsch");
  file = SetValue(file, "Select", "FileMode", "1");
  EXPECT_EQ("[Serial]\nCOM=x\n[Select]\nReqMode=0\nFileMode=1\n[Language]\nLastLanguage=deutsch\n",
            file);
  EXPECT_EQ("[A]\r\nk=1\r\nn=2\r\n[B]\r\nm=3\r\n",
            SetValue(SetValue("[A]\r\nk=1\r\n", "A", "n", "2"), "B", "m", "3"));
  EXPECT_EQ("[A]\nk=1\n", SetValue("[A]\n", "A", "k", "1"));
  EXPECT_EQ("\xEF\xBB\xBF[A]\nk=1\n", SetValue("\xEF\xBB\xBF", "A", "k", "1"));
  // Line breaks in a value would add lines to the file.
  EXPECT_EQ("[A]\nk=one two  three\n", SetValue("", "A", "k", "one\ntwo\r\nthree"));
  // A last line that ends in a lone CR keeps its value: the break behind it completes its CR.
  for (const auto& [content, section] :
       {std::pair{"[O]\r\nP=\r", "S"}, std::pair{"[O]\r\nP=\r", "O"}}) {
    const std::string written = SetValue(content, section, "k", "1");
    EXPECT_EQ(FindValue(written, "O", "P"), FindValue(content, "O", "P")) << section;
    EXPECT_EQ(FindValue(written, section, "k"), "1") << section;
  }
}

TEST(ProfileText, SetValueRejectsNamesThatCannotBeReadBack) {
  for (const char* section : {"", "  ", "a]b", "a\nb"})
    EXPECT_THROW(SetValue("", section, "k", "v"), std::invalid_argument) << section;
  for (const char* key : {"", " ", "a=b", "[k", ";k", "a\rb"})
    EXPECT_THROW(SetValue("", "S", key, "v"), std::invalid_argument) << key;
}

TEST(ProfileText, RemoveKeyTakesEveryLineOfTheKeyInTheFirstSection) {
  const std::string file =
      "[Ports]\nCOM5=/dev/a\nCOM6=/dev/b\ncom5=/dev/d\n[ports]\ncom5=/dev/c\n[X]\nCOM5=1";
  EXPECT_EQ("[Ports]\nCOM6=/dev/b\n[ports]\ncom5=/dev/c\n[X]\nCOM5=1",
            RemoveKey(file, "Ports", "COM5"));
  EXPECT_EQ("[Ports]\nCOM5=/dev/a\nCOM6=/dev/b\ncom5=/dev/d\n[ports]\ncom5=/dev/c\n[X]\n",
            RemoveKey(file, "X", "com5"));
  EXPECT_FALSE(RemoveKey("[A]\n[B]\nk=1\n[a]\nk=2\n", "A", "k"));
  EXPECT_FALSE(RemoveKey(file, "Ports", "COM7"));
  EXPECT_FALSE(RemoveKey("", "Ports", "COM5"));
}

// What the Windows profile functions do with repeated sections, NUL bytes and white space.
TEST(ProfileText, RepeatedSectionsNulAndWhiteSpaceAsWindowsReadsThem) {
  const std::string file =
      "[Serial]\n"
      "Tab=\t\tvalue\t \n"
      "Vt=\v value \v\v\n"
      "Quoted=\t\"\tin\t\"\v\n"
      "Nul=abc\0def\n"
      "NulBlank=abc \0def\n"
      "NulFirst=\0abc\n"
      "\vIndented\t=\t1\n"
      "[Other]\n"
      "x=1\n"
      "[ serial ]\n"
      "Tab=second\n"
      "OnlyLater=2\n"s;
  const struct {
    const char *section, *key, *expected;
  } cases[] = {
      {"Serial", "Tab", "value"},
      {"Serial", "Vt", "value"},
      {"Serial", "Quoted", "\tin\t"},
      {"Serial", "Nul", "abc"},
      {"Serial", "NulBlank", "abc"},
      {"Serial", "NulFirst", ""},
      {"Serial", "Indented", "1"},
      {"Serial", "OnlyLater", "<default>"},  // only the first [Serial] is searched
      {"Other", "x", "1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.expected, Read(file, c.section, c.key)) << c.section << "/" << c.key;

  // Writes go to the first section of the name too: a key it lacks is added there.
  const std::string twice = "[A]\nk=1\n[B]\nm=2\n[a]\nk=3\nn=4\n";
  EXPECT_EQ("[A]\nk=9\n[B]\nm=2\n[a]\nk=3\nn=4\n", SetValue(twice, "A", "k", "9"));
  EXPECT_EQ("[A]\nk=1\nn=5\n[B]\nm=2\n[a]\nk=3\nn=4\n", SetValue(twice, "a", "n", "5"));
  EXPECT_EQ("5", Read(SetValue(twice, "a", "n", "5"), "A", "n"));
  // A value ends at a NUL byte when it is written, as when it is read.
  EXPECT_EQ("[A]\nk=ab\n", SetValue("", "A", "k", "ab\0cd"s));
}

}  // namespace
}  // namespace pzam::profile
