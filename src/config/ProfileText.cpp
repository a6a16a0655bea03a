#include "config/ProfileText.h"

#include <stdexcept>
#include <vector>

namespace pzam::profile {

namespace {

enum class TLineKind { Section, Key, Other };

struct TLine {
  std::size_t Begin;  // first byte of the line
  std::size_t End;    // past the line's text, before its line break
  std::size_t Next;   // first byte of the next line (past the line break)
  TLineKind Kind;
  std::string_view Name;   // section or key name, trimmed
  std::string_view Value;  // key lines: the value, trimmed
};

// Blanks around names and values: spaces, tabs and vertical tabs.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

TLine ParseLine(std::string_view content, std::size_t begin) {
  TLine line{begin, content.size(), content.size(), TLineKind::Other, {}, {}};
  const auto nl = content.find('\n', begin);
  if (nl != std::string_view::npos) {
    line.End = nl;
    line.Next = nl + 1;
  }
  if (line.End > begin && content[line.End - 1] == '\r') --line.End;
  const std::string_view text = Trim(content.substr(begin, line.End - begin));
  if (text.empty() || text.front() == ';') return line;
  if (text.front() == '[') {
    const auto close = text.find(']');
    if (close != std::string_view::npos) {
      line.Kind = TLineKind::Section;
      line.Name = Trim(text.substr(1, close - 1));
    }
    return line;
  }
  const auto eq = text.find('=');
  if (eq != std::string_view::npos) {
    line.Kind = TLineKind::Key;
    line.Name = Trim(text.substr(0, eq));
    // A NUL byte ends the value, as the text functions see it.
    line.Value = text.substr(eq + 1);
    line.Value = Trim(line.Value.substr(0, line.Value.find('\0')));
  }
  return line;
}

std::vector<TLine> Lines(std::string_view content) {
  std::vector<TLine> lines;
  std::size_t pos = content.starts_with(kBom) ? kBom.size() : 0;
  while (pos < content.size()) {
    lines.push_back(ParseLine(content, pos));
    pos = lines.back().Next;
  }
  return lines;
}

// Calls fn(index) for every key line named key inside the first section named section; later
// sections of the same name are neither searched nor written.
template <typename Fn>
void ForEachKeyLine(const std::vector<TLine>& lines, std::string_view section, std::string_view key,
                    Fn fn) {
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TLine& l = lines[i];
    if (l.Kind == TLineKind::Section) {
      if (inSection) return;
      inSection = SameName(l.Name, section);
    } else if (inSection && l.Kind == TLineKind::Key && SameName(l.Name, key) && !fn(i))
      return;
  }
}

std::string_view LineEnd(std::string_view content) {
  const auto nl = content.find('\n');
  return (nl != std::string_view::npos && nl > 0 && content[nl - 1] == '\r') ? "\r\n" : "\n";
}

// The line break to put behind a last line that has none. A last line ending in a lone CR gets
// only the LF, so that the CR stays its line end and its value does not change.
std::string_view BreakAfter(std::string_view content, std::string_view eol) {
  return !content.empty() && content.back() == '\r' ? "\n" : eol;
}

// A value as a line can hold it: it ends at a NUL byte (as the text functions see it), and line
// breaks become blanks.
std::string Sanitized(std::string_view value) {
  std::string v(value.substr(0, value.find('\0')));
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  return v;
}

std::string Capped(std::string_view s) {
  if (s.size() <= kMaxValueLength) return std::string(s);
  std::size_t n = kMaxValueLength;
  // Step back over at most three continuation bytes so no UTF-8 character is cut in two.
  for (int i = 0; i < 3 && n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80; ++i) --n;
  if ((static_cast<unsigned char>(s[n]) & 0xC0) != 0xC0 &&
      (static_cast<unsigned char>(s[n]) & 0x80) != 0)
    n = kMaxValueLength;  // not UTF-8 after all: cut at the byte limit
  return std::string(s.substr(0, n));
}

}  // namespace

std::optional<std::string_view> FindValue(std::string_view content, std::string_view section,
                                          std::string_view key) {
  const auto lines = Lines(content);
  std::optional<std::string_view> found;
  ForEachKeyLine(lines, section, key, [&](std::size_t i) {
    found = lines[i].Value;
    return false;
  });
  return found;
}

std::vector<std::pair<std::string_view, std::string_view>> SectionKeys(std::string_view content,
                                                                       std::string_view section) {
  std::vector<std::pair<std::string_view, std::string_view>> keys;
  bool inSection = false;
  for (const TLine& l : Lines(content)) {
    if (l.Kind == TLineKind::Section) {
      if (inSection) break;
      inSection = SameName(l.Name, section);
    } else if (inSection && l.Kind == TLineKind::Key) {
      keys.emplace_back(l.Name, l.Value);
    }
  }
  return keys;
}

std::string ReturnedValue(std::string_view raw) {
  if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
    raw = raw.substr(1, raw.size() - 2);
  return Capped(raw);
}

std::string ReturnedDefault(std::string_view def) {
  while (!def.empty() && (def.back() == ' ' || def.back() == '\t')) def.remove_suffix(1);
  return Capped(def);
}

bool IsValidSection(std::string_view section) {
  return !Trim(section).empty() && section.find_first_of("]\r\n") == std::string_view::npos;
}

bool IsValidKey(std::string_view key) {
  const auto t = Trim(key);
  return !t.empty() && t.front() != '[' && t.front() != ';' &&
         key.find_first_of("=\r\n") == std::string_view::npos;
}

std::string SetValue(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
  if (!IsValidSection(section)) throw std::invalid_argument("bad profile section name");
  if (!IsValidKey(key)) throw std::invalid_argument("bad profile key name");
  const auto lines = Lines(content);
  const std::string_view eol = LineEnd(content);
  const std::string v = Sanitized(value);
  std::string out(content);

  std::optional<std::size_t> keyLine;
  ForEachKeyLine(lines, section, key, [&](std::size_t i) {
    keyLine = i;
    return false;
  });
  if (keyLine) {
    const TLine& l = lines[*keyLine];
    out.replace(l.Begin, l.End - l.Begin, std::string(l.Name) + "=" + v);
    return out;
  }

  // Insert after the last key line of the first matching section, or after its header.
  std::optional<std::size_t> after;
  bool inFirst = false, seen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const TLine& l = lines[i];
    if (l.Kind == TLineKind::Section) {
      if (inFirst) break;
      if (!seen && SameName(l.Name, section)) {
        inFirst = seen = true;
        after = i;
      }
    } else if (inFirst && l.Kind == TLineKind::Key) {
      after = i;
    }
  }
  const std::string newLine = std::string(Trim(key)) + "=" + v;
  if (after) {
    const TLine& l = lines[*after];
    if (l.Next == out.size() && out.back() != '\n')  // last line, without a line break
      out.insert(l.Next, std::string(BreakAfter(out, eol)) + newLine);
    else
      out.insert(l.Next, newLine + std::string(eol));
    return out;
  }
  if (!out.empty() && out != kBom && out.back() != '\n') out += BreakAfter(out, eol);
  out += "[" + std::string(Trim(section)) + "]" + std::string(eol) + newLine + std::string(eol);
  return out;
}

std::optional<std::string> RemoveKey(std::string_view content, std::string_view section,
                                     std::string_view key) {
  const auto lines = Lines(content);
  std::vector<std::size_t> hits;
  ForEachKeyLine(lines, section, key, [&](std::size_t i) {
    hits.push_back(i);
    return true;
  });
  if (hits.empty()) return std::nullopt;
  std::string out(content);
  for (auto it = hits.rbegin(); it != hits.rend(); ++it)
    out.erase(lines[*it].Begin, lines[*it].Next - lines[*it].Begin);
  return out;
}

}  // namespace pzam::profile
