#include "measurement/PortDecoder.h"

#include "common/Errors.h"
#include "measurement/TraceFile.h"

namespace pzam::measurement {

void TPortDecoder::Feed(int mode, const std::string& bytes,
                        const std::function<void(TSharedTexts&)>& value) {
  if (mode == 0) {
    for (const std::string& body : FGaugeFramer.Feed(bytes)) {
      DecodeGaugeTelegram(body, FTexts, FTelegram);
      const std::string line = GaugeLine(FTexts);
      FView.AddMemoLine(line);
      try {
        AppendTraceLine(FDirectory, line);
      } catch (const Exception& e) {
        FView.AddMemoLine(e.what());
      }
      if (FTelegram.FieldCode == "MSG") {
        FView.AddMemoLine(GaugeMessageLine(FTelegram.Message));
        continue;
      }
      value(FTexts);
    }
  } else if (mode == 2 || mode == 3) {
    for (const std::string& text : FLineFramer.Feed(bytes)) {
      if (!IsSignedValueText(text)) continue;
      DecodeSignedValue(text, ++FCounter, FTexts);
      FPort.WriteText("STO0\r");
      value(FTexts);
    }
  }
}

}  // namespace pzam::measurement
