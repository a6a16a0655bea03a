// How the analysis subcommands print a figure in their `name=value` lines.
#pragma once

#include <charconv>
#include <optional>
#include <string>

namespace pzam::tool {

// "%.10g" in the C locale, whatever the process locale; "-" for a missing figure.
inline std::string FigureText(const std::optional<double>& v) {
  if (!v) return "-";
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, *v, std::chars_format::general, 10);
  return std::string(buffer, r.ptr);
}

}  // namespace pzam::tool
