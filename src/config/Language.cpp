#include "config/Language.h"

#include "common/TextEncoding.h"
#include "config/AtomicFile.h"
#include "config/ProfileText.h"

namespace pzam {

namespace {
constexpr char kMissingText[] = "0";
}

std::string LanguageFilePath(const std::string& dir, const std::string& language) {
  return dir + "lng_" + language + ".lng";
}

std::string LanguageText(const std::string& path, const std::string& language, int id) {
  std::string content;
  if (!ReadWholeFile(path, content)) return kMissingText;
  const std::string text = IsUtf16Le(content) ? Utf16LeToUtf8(content) : AsUtf8(content);
  const auto raw = profile::FindValue(text, language, std::to_string(id));
  return raw ? profile::ReturnedValue(*raw) : std::string(kMissingText);
}

void TLanguageTexts::Load(const std::string& dir, const std::string& language) {
  FLanguage = language;
  FFilePath = LanguageFilePath(dir, language);
  FUsable = language.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string TLanguageTexts::Text(int id) const {
  return FUsable ? LanguageText(FFilePath, FLanguage, id) : std::string(kMissingText);
}

}  // namespace pzam
