#include "export/Dfq.h"

#include <charconv>
#include <cstdio>
#include <map>

#include "config/AtomicFile.h"
#include "export/Cp1252.h"

namespace pzam::dfq {
namespace {

constexpr char kEol[] = "\r\n";

// Writes the K-fields, cutting texts to their field's length and noting each cut field once.
class TWriter {
 public:
  void Field(const char* key, const std::string& value) {
    FOut += key;
    FOut += ' ';
    FOut += value;
    FOut += kEol;
  }
  void Field(const char* key, int index, const std::string& value) {
    char head[16];
    std::snprintf(head, sizeof head, "%s/%d", key, index);
    Field(head, value);
  }
  // A text field: Windows-1252, at most `length` characters.
  std::string Text(const char* key, const std::string& text, std::size_t length) {
    std::string bytes = ToCp1252(text);
    if (bytes.size() > length) {
      bytes.resize(length);
      if (FCut.emplace(key, text).second)
        FCuts.push_back(std::string(key) + " '" + text + "' is longer than " +
                        std::to_string(length) + " characters and was cut to '" + bytes + "'");
    }
    return bytes;
  }
  TDfqText Result() { return {std::move(FOut), std::move(FCuts)}; }

 private:
  std::string FOut;
  std::map<std::string, std::string> FCut;  // the first cut text of each field
  std::vector<std::string> FCuts;
};

std::string Number(double x) {
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed);
  return std::string(buffer, r.ptr);
}

}  // namespace

TDfqText DfqText(const TDfqFile& file) {
  TWriter w;
  w.Field("K0100", std::to_string(file.Characteristics.size()));
  w.Field("K1001", w.Text("K1001", file.PartNumber, kPartNumberLength));
  if (!file.PartName.empty()) w.Field("K1002", w.Text("K1002", file.PartName, kPartNameLength));
  for (std::size_t c = 0; c < file.Characteristics.size(); ++c) {
    const TDfqCharacteristic& ch = file.Characteristics[c];
    const int i = static_cast<int>(c + 1);
    w.Field("K2001", i, std::to_string(i));
    w.Field("K2002", i, w.Text("K2002", ch.Name, kCharacteristicLength));
    w.Field("K2004", i, "0");
    w.Field("K2022", i, std::to_string(ch.Decimals));
    if (ch.Nominal) w.Field("K2101", i, Number(*ch.Nominal));
    if (ch.Lower) w.Field("K2110", i, Number(*ch.Lower));
    if (ch.Upper) w.Field("K2111", i, Number(*ch.Upper));
    if (!ch.Unit.empty()) w.Field("K2142", i, ToCp1252(ch.Unit));
  }
  for (const TDfqSet& set : file.Sets) {
    for (std::size_t c = 0; c < set.Values.size() && c < file.Characteristics.size(); ++c) {
      const int i = static_cast<int>(c + 1);
      if (!set.Values[c]) {
        // A placeholder: the attribute 255 keeps the place without a value to show.
        w.Field("K0001", i, "0");
        w.Field("K0002", i, "255");
        continue;
      }
      const TDfqValue& v = *set.Values[c];
      w.Field("K0001", i, v.Text);
      w.Field("K0002", i, "0");
      if (v.Time) w.Field("K0004", i, DateTimeText(*v.Time));
      if (!v.Batch.empty()) w.Field("K0006", i, w.Text("K0006", v.Batch, kBatchLength));
      if (!v.PartId.empty()) w.Field("K0014", i, w.Text("K0014", v.PartId, kPartIdLength));
    }
  }
  return w.Result();
}

bool WriteDfqFile(const std::string& path, const TDfqFile& file, std::vector<std::string>& cuts,
                  std::string& error) {
  TDfqText text = DfqText(file);
  cuts = std::move(text.Cuts);
  if (WriteFileAtomically(path, text.Bytes)) return true;
  error = "cannot write '" + path + "'";
  return false;
}

int TextDecimals(const std::string& text) {
  const std::size_t sep = text.find_first_of(".,");
  if (sep == std::string::npos) return 0;
  int n = 0;
  for (std::size_t i = sep + 1; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++n;
  return n;
}

std::string ValueText(const std::string& text, double value) {
  // A plain number: blanks, a sign, digits and at most one separator followed by digits.
  bool digit = false, plain = true;
  int separators = 0;
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      digit = true;
    } else if (ch == '.' || ch == ',') {
      ++separators;
    } else if (ch != ' ' && ch != '+' && ch != '-' && ch != '\r' && ch != '\n') {
      plain = false;
    }
  }
  char buffer[64];
  std::to_chars_result r{};
  if (plain && digit && separators <= 1)
    r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                      TextDecimals(text));
  else
    r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  std::string out(buffer, r.ptr);
  if (out == "-0" || out.rfind("-0.", 0) == 0) {
    // A negative zero would read as a value of its own in some readers.
    if (out.find_first_of("123456789") == std::string::npos) out.erase(0, 1);
  }
  return out;
}

std::string DateTimeText(const TDateTime& t) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d.%02d.%04d/%02d:%02d:%02d", t.Day % 100, t.Month % 100,
                t.Year % 10000, t.Hour % 100, t.Minute % 100, t.Second % 100);
  return buffer;
}

std::optional<TDateTime> FromIsoText(const std::string& text) {
  // "YYYY-MM-DDThh:mm:ss", then fractions and offset, which the local time does not need.
  if (text.size() < 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':')
    return std::nullopt;
  std::string plain = text.substr(0, 19);
  plain[10] = ' ';
  TDateTime t;
  if (!ParseDateTime(plain, t)) return std::nullopt;
  return t;
}

std::string DfqFileName(const std::string& name) {
  const std::size_t dot = name.rfind('.');
  const std::size_t slash = name.find_last_of("/\\");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0 ||
      (slash != std::string::npos && dot == slash + 1))
    return name + ".dfq";
  return name.substr(0, dot) + ".dfq";
}

std::string PartNumberOr(const std::string& partNumber, const std::string& planName,
                         const std::string& fileName) {
  if (!partNumber.empty()) return partNumber;
  if (!planName.empty()) return planName;
  const std::size_t slash = fileName.find_last_of("/\\");
  std::string base = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
  if (base.size() > 4 && base.ends_with(".dfq")) base.resize(base.size() - 4);
  return base;
}

}  // namespace pzam::dfq
