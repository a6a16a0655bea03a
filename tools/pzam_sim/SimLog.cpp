#include "SimLog.h"

#include <cerrno>
#include <cstring>

namespace pzam::sim {

TSimLog::~TSimLog() {
  if (FFile) std::fclose(FFile);
}

std::string TSimLog::OpenFile(const std::string& path) {
  FFile = std::fopen(path.c_str(), "w");
  if (!FFile) return path + ": " + std::strerror(errno);
  return {};
}

void TSimLog::Event(const std::string& line) {
  std::fprintf(stderr, "pzam-sim: %s\n", line.c_str());
  std::fflush(stderr);
}

void TSimLog::Sent(const std::string& text) {
  const std::string body = text.empty() ? text : text.substr(0, text.size() - 1);
  Event("sent " + Printable(body));
  if (FFile) {
    std::fprintf(FFile, "%s\n", body.c_str());
    std::fflush(FFile);
  }
}

std::string TSimLog::Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7f) {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  return out;
}

}  // namespace pzam::sim
