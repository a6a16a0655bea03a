#include "measurement/Telegram.h"

namespace pzam::measurement {

namespace {

// The framework's substring rule with 1-based positions: a start below 1 counts as 1, a length
// below 1 gives an empty text, a length past the end stops at the end.
std::string Copy(const std::string& s, long long start, long long length) {
  if (start < 1) start = 1;
  if (length < 1 || start > static_cast<long long>(s.size())) return {};
  return s.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(length));
}

long long Pos(const std::string& s, char c) {
  const std::size_t p = s.find(c);
  return p == std::string::npos ? 0 : static_cast<long long>(p) + 1;
}

}  // namespace

void TFramerTail::KeepFrom(std::size_t from) {
  if (FTail.size() - from > kMaxTail) from = FTail.size() - kMaxTail;
  FTail.erase(0, from);
}

std::vector<std::string> TGaugeFramer::Feed(const std::string& bytes) {
  FTail += bytes;
  std::vector<std::string> bodies;
  std::size_t from = 0;
  for (;;) {
    const std::size_t at = FTail.find('@', from);
    if (at == std::string::npos) {
      FTail.clear();
      break;
    }
    const std::size_t end = FTail.find(kGaugeFrameEnd, at);
    if (end == std::string::npos) {
      KeepFrom(at);
      // A tail cut to its newest bytes starts at its first "@" again.
      if (FTail.front() != '@') {
        const std::size_t next = FTail.find('@');
        FTail.erase(0, next == std::string::npos ? FTail.size() : next);
      }
      break;
    }
    bodies.push_back(FTail.substr(at, end - at));
    from = end + 1;
  }
  return bodies;
}

std::vector<std::string> TLineFramer::Feed(const std::string& bytes) {
  FTail += bytes;
  std::vector<std::string> texts;
  std::size_t from = 0;
  for (;;) {
    if (FAfterCr && from < FTail.size()) {
      if (FTail[from] == '\n') ++from;
      FAfterCr = false;
    }
    const std::size_t end = FTail.find(kSignedFrameEnd, from);
    if (end == std::string::npos) break;
    texts.push_back(FTail.substr(from, end + 1 - from));
    from = end + 1;
    FAfterCr = true;
  }
  KeepFrom(from);
  return texts;
}

void DecodeGaugeTelegram(const std::string& body, TSharedTexts& texts, TGaugeTelegram& telegram) {
  telegram.FieldCode.clear();
  std::size_t from = 0;
  for (std::size_t at; (at = body.find('@', from)) != std::string::npos;) {
    const std::size_t text = at + 4;  // the field text follows "@" and the 3-letter code
    telegram.FieldCode = body.substr(at + 1, 3);
    const std::string field = text < body.size() ? body.substr(text, 8) : std::string();
    if (telegram.FieldCode == "ANZ") {
      texts.Count = field;
    } else if (telegram.FieldCode == "IST") {
      texts.Value = field;
    } else if (telegram.FieldCode == "MWT") {
      texts.Mean = field;
    } else if (telegram.FieldCode == "STW") {
      texts.Deviation = field;
    } else if (telegram.FieldCode == "MSG") {
      telegram.Message = text < body.size() ? body.substr(text) : std::string();
    }
    from = at + 1;
  }
  texts.Minimum = "0";
  texts.Maximum = "0";
}

std::string GaugeLine(const TSharedTexts& texts) {
  return texts.Count + "   " + texts.Value + "   " + texts.Mean + "   " + texts.Deviation;
}

std::string GaugeMessageLine(const std::string& message) {
  return "*** Meldung: " + message + " ***";
}

bool IsSignedValueText(const std::string& text) {
  return !text.empty() && text[0] != 'S';
}

void DecodeSignedValue(const std::string& text, int counter, TSharedTexts& texts) {
  long long p = Pos(text, '+');
  if (p == 0) p = Pos(text, '-');
  const long long e = Pos(text, kSignedFrameEnd);
  texts.Value = Copy(text, p, e - p);
  texts.Count = std::to_string(counter);
  texts.Mean = "0";
  texts.Deviation = "0";
}

}  // namespace pzam::measurement
