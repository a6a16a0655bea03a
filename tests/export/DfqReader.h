// The tests' reader of transfer files, written from the format's description rather than from
// our writer: every line "Kxxxx value" or "Kxxxx/i value" ending in CR LF; the values of
// characteristic i are counted in the order of their K0001/i, so the n-th K0001 of every
// characteristic belongs to the n-th part, and a value's other fields follow its K0001.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <regex>
#include <string>
#include <vector>

namespace pzam::dfq::test {

struct TField {
  std::string Key;  // "K2002"
  int Index = 0;    // 0 without "/i"
  std::string Value;
};

struct TReadValue {
  std::string Value;
  std::map<std::string, std::string> Fields;  // K0002, K0004, ... of this value
};

struct TRead {
  std::vector<TField> Fields;  // in file order
  // Head fields (K1xxx) and characteristic fields (K2xxx) by key and index.
  std::map<std::pair<std::string, int>, std::string> Head;
  // values[i][n]: the n-th value (0-based) of characteristic i (1-based).
  std::map<int, std::vector<TReadValue>> Values;
  std::vector<std::string> Problems;
};

inline TRead ReadDfq(const std::string& bytes) {
  TRead r;
  static const std::regex line(R"(^(K\d{4})(?:/(\d+))? (.*)$)");
  std::size_t at = 0;
  while (at < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos) {
      r.Problems.push_back("last line without CR LF");
      break;
    }
    const std::string text = bytes.substr(at, end - at);
    at = end + 2;
    std::smatch m;
    if (text.find('\r') != std::string::npos || text.find('\n') != std::string::npos ||
        !std::regex_match(text, m, line)) {
      r.Problems.push_back("not a K-field line: " + text);
      continue;
    }
    TField f{m[1], m[2].matched ? std::stoi(m[2]) : 0, m[3]};
    r.Fields.push_back(f);
    if (f.Key == "K0001") {
      r.Values[f.Index].push_back({f.Value, {}});
    } else if (f.Key.compare(0, 3, "K00") == 0 && f.Key != "K0100") {
      auto& list = r.Values[f.Index];
      if (list.empty())
        r.Problems.push_back(f.Key + " before any K0001/" + std::to_string(f.Index));
      else
        list.back().Fields[f.Key] = f.Value;
    } else {
      r.Head[{f.Key, f.Index}] = f.Value;
    }
  }
  return r;
}

}  // namespace pzam::dfq::test
