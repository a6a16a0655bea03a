// Fuzzes the telegram framing and decoding of every operating mode and the value processing
// behind it. The first byte picks the mode and the size of each read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "RunDoubles.h"
#include "common/Errors.h"
#include "measurement/Telegram.h"
#include "measurement/ValueProcessing.h"

namespace {

using namespace pzam::measurement;
using TNullView = pzam::bench::TNullRunView;

void Process(TSharedTexts& texts, TRunStatistics& stats, char sep, TNullView& view) {
  if (stats.Full()) return;
  try {
    ProcessValue(texts, stats, sep, view);
  } catch (const pzam::EConvertError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const bool gauge = data[0] & 1;
  const char sep = (data[0] & 2) ? ',' : '.';
  const std::size_t chunk = 1 + (data[0] >> 2);
  const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  TSharedTexts texts;
  TRunStatistics stats;
  stats.SetSignFactor((data[0] & 0x80) ? -1.0 : 1.0);
  TNullView view;
  TGaugeFramer gaugeFramer;
  TLineFramer lineFramer;
  TGaugeTelegram telegram;
  int counter = 0;
  for (std::size_t at = 0; at < input.size(); at += chunk) {
    const std::string read = input.substr(at, chunk);
    if (gauge) {
      for (const auto& body : gaugeFramer.Feed(read)) {
        if (body.empty() || body[0] != '@' || body.find('\x17') != std::string::npos) std::abort();
        DecodeGaugeTelegram(body, texts, telegram);
        (void)GaugeLine(texts);
        if (telegram.FieldCode != "MSG") Process(texts, stats, sep, view);
      }
      if (gaugeFramer.Tail().size() > kMaxTail) std::abort();
    } else {
      for (const auto& text : lineFramer.Feed(read)) {
        if (text.empty() || text.back() != '\r') std::abort();
        if (!IsSignedValueText(text)) continue;
        DecodeSignedValue(text, ++counter, texts);
        Process(texts, stats, sep, view);
      }
      if (lineFramer.Tail().size() > kMaxTail) std::abort();
    }
  }
  return 0;
}
