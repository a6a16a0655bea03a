// The port number of a COM name, the same on every platform.
#include "serial/comm/PortNames.h"

#include <algorithm>
#include <cctype>

namespace pzam::comm {

int PortNumberFromName(const std::string& name) {
  std::string s = name;
  if (s.rfind("\\\\.\\", 0) == 0) s = s.substr(4);
  if (s.size() < 4 || s.size() > 5) return 0;
  for (int i = 0; i < 3; ++i)
    s[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
  if (s.compare(0, 3, "COM") != 0) return 0;
  std::string digits = s.substr(3);
  if (!std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }) ||
      digits[0] == '0')
    return 0;
  return std::stoi(digits);
}

}  // namespace pzam::comm
