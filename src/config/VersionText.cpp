#include "config/VersionText.h"

#include "platform/VersionResource.h"

namespace pzam {

const char* BuiltVersionString() {
  return platform::BuiltVersionString();
}

std::string ReadVersionString(const std::string& executablePath) {
  return platform::ExecutableVersionString(executablePath);
}

std::string VersionTextFromString(const std::string& v) {
  std::string text = "V" + v.substr(0, 5) + " Build " + (v.size() >= 7 ? v.substr(6, 1) : "");
  text.erase(4, 1);
  return text;
}

std::string ReadVersionText(const std::string& executablePath) {
  const std::string version = ReadVersionString(executablePath);
  return version.empty() ? std::string() : VersionTextFromString(version);
}

}  // namespace pzam
