// Standard input that reads a given text and then ends: a pipe put in stdin's place while the
// object lives (each system's way in posix/ and win32/).
#pragma once

#include <string>

namespace pzam::platform::test {

class TStdinFromText {
 public:
  explicit TStdinFromText(const std::string& text);
  ~TStdinFromText();
  TStdinFromText(const TStdinFromText&) = delete;
  TStdinFromText& operator=(const TStdinFromText&) = delete;

 private:
  long long FSaved = -1;
};

}  // namespace pzam::platform::test
