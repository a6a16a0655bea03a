// What the report tests read back from a PDF: a command's output, a page range's text and the
// page count (poppler's pdftotext and pdfinfo).
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace pzam::test {

// The standard output of a shell command.
inline std::string ShellOutput(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, got);
    pclose(pipe);
  }
  return out;
}

// The text of pages first to last (0: to the end), columns kept apart by blanks.
inline std::string PdfText(const std::filesystem::path& pdf, int first = 1, int last = 0) {
  std::string command = "pdftotext -layout -f " + std::to_string(first);
  if (last > 0) command += " -l " + std::to_string(last);
  return ShellOutput(command + " '" + pdf.string() + "' - 2>&1");
}

inline int PdfPages(const std::filesystem::path& pdf) {
  const std::string info = ShellOutput("pdfinfo '" + pdf.string() + "' 2>&1");
  const std::size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::atoi(info.c_str() + at + 6);
}

}  // namespace pzam::test
