// The Windows time picture as a strftime pattern. Portable code, so that its tests run everywhere;
// only the Windows side of Regional.h uses it.
#include "platform/Regional.h"

namespace pzam::platform {

std::string TimeFormatFromPicture(std::string_view picture) {
  std::string pattern;
  for (std::size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    if (c == '\'') {  // quoted text up to the next quote ("''" is one quote)
      const std::size_t end = picture.find('\'', i + 1);
      const std::string_view text =
          picture.substr(i + 1, (end == std::string_view::npos ? picture.size() : end) - i - 1);
      if (text.empty() && end != std::string_view::npos) pattern += '\'';
      for (char t : text) pattern += t == '%' ? std::string("%%") : std::string(1, t);
      i = end == std::string_view::npos ? picture.size() : end + 1;
      continue;
    }
    std::size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    const char* field = nullptr;
    switch (c) {
      case 'H':
        field = run == 1 ? "%#H" : "%H";
        break;
      case 'h':
        field = run == 1 ? "%#I" : "%I";
        break;
      case 'm':
        field = run == 1 ? "%#M" : "%M";
        break;
      case 's':
        field = run == 1 ? "%#S" : "%S";
        break;
      case 't':  // "t" is the designator's first letter; strftime has only the whole one
        field = "%p";
        break;
      default:
        break;
    }
    if (field != nullptr) {
      pattern += field;
    } else {
      for (std::size_t k = 0; k < run; ++k)
        pattern += c == '%' ? std::string("%%") : std::string(1, c);
    }
    i += run;
  }
  return pattern;
}

}  // namespace pzam::platform
