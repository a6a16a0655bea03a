// Decoding of what the instruments send: the "@"-tagged telegrams of the gauge (operating mode 0,
// ended by character 23) and the signed numbers of the Sylvac and Quorvant instruments (modes 2
// and 3, ended by a carriage return). Reads are framed first, so several telegrams in one read
// are each decoded and a telegram split over two reads is completed by the second.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "measurement/SharedTexts.h"

namespace pzam::measurement {

inline constexpr char kGaugeFrameEnd = 23;
inline constexpr char kSignedFrameEnd = 13;
// The longest unfinished tail kept: the port's receive queue. A telegram is far shorter, so of an
// endless run of bytes without a frame end only the newest kMaxTail bytes are kept, and a
// telegram that ends them is still taken whole.
inline constexpr std::size_t kMaxTail = 16384;

// The bytes of an unfinished telegram, kept until a later read completes it.
class TFramerTail {
 public:
  void Clear() { FTail.clear(); }
  const std::string& Tail() const { return FTail; }

 protected:
  // Keeps the tail from `from` on, at most its newest kMaxTail bytes.
  void KeepFrom(std::size_t from);
  std::string FTail;
};

// Mode 0 framing. Bytes before an "@" are ignored; a telegram runs from its first "@" up to the
// next character 23. An "@" without a following 23 is kept until a later read completes it.
class TGaugeFramer : public TFramerTail {
 public:
  // Returns the bodies of the telegrams completed by `bytes`, in arrival order, each from its
  // first "@" up to (not including) the character 23.
  std::vector<std::string> Feed(const std::string& bytes);
};

// Modes 2 and 3 framing: each text up to and including its carriage return; bytes after the last
// carriage return wait for theirs. Instruments set to end their texts with CR LF send an LF after
// each carriage return: an LF right after a carriage return (in the same read or the next) belongs
// to the text before it and is dropped, as is an LF that comes first after Clear (its carriage
// return came before the port was opened). Any other LF is part of its text.
class TLineFramer : public TFramerTail {
 public:
  std::vector<std::string> Feed(const std::string& bytes);
  void Clear() {
    TFramerTail::Clear();
    FAfterCr = true;
  }

 private:
  bool FAfterCr = true;  // the last byte framed ended a text (or nothing was framed yet)
};

// What one gauge telegram held besides the shared texts.
struct TGaugeTelegram {
  std::string FieldCode;  // code of the telegram's last field, empty when it has none
  std::string Message;    // text of the last "MSG" field, unchanged when there is none
};

// Decodes a telegram body (as TGaugeFramer gives it): ANZ, IST, MWT and STW set the count, value,
// mean and deviation texts from the 8 characters after their code; MSG sets the message to the
// rest of the body; maximum and minimum texts become "0".
void DecodeGaugeTelegram(const std::string& body, TSharedTexts& texts, TGaugeTelegram& telegram);

// The memo and trace line of a decoded gauge telegram: count, value, mean and deviation texts
// joined by three blanks.
std::string GaugeLine(const TSharedTexts& texts);

// The memo line of a gauge message.
std::string GaugeMessageLine(const std::string& message);

// True when a mode-2/3 text carries a value: not empty and not beginning with "S".
bool IsSignedValueText(const std::string& text);

// Decodes a mode-2/3 text: the value text runs from the first "+" (else the first "-") up to the
// carriage return; count text = `counter`; mean and deviation texts "0"; maximum and minimum
// texts untouched.
void DecodeSignedValue(const std::string& text, int counter, TSharedTexts& texts);

}  // namespace pzam::measurement
