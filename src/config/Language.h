// Language texts: numbered texts in the language file "lng_<language>.lng", one section named
// after the language, keys are text ids. Every lookup reads the file afresh.
#pragma once

#include <string>

namespace pzam {

// dir + "lng_" + language + ".lng"; dir ends in a separator.
std::string LanguageFilePath(const std::string& dir, const std::string& language);

// The text of id in a language file, "0" when the file, the section or the key is missing. A file
// that is not valid UTF-8 is read as Windows-1252.
std::string LanguageText(const std::string& path, const std::string& language, int id);

// The current language file and lookups in it. Used on the window thread only.
class TLanguageTexts {
 public:
  // Makes dir + "lng_" + language + ".lng" the current language file. A language name holding a
  // path separator names no file, so all its texts read "0".
  void Load(const std::string& dir, const std::string& language);
  // The text of id in the current language; "0" when missing and before the first Load.
  std::string Text(int id) const;
  const std::string& Language() const { return FLanguage; }
  const std::string& FilePath() const { return FFilePath; }

 private:
  std::string FLanguage;
  std::string FFilePath;
  bool FUsable = false;
};

}  // namespace pzam
