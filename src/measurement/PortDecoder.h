// What one port sends, decoded as its operating mode gives it: in mode 0 gauge telegrams, each
// shown as a line in the message list and in the trace file, a gauge's message shown and not
// taken as a value; in modes 2 and 3 signed value texts, each counted and answered with "STO0\r".
// The run without a plan and each port of a plan's run decode through one of these.
#pragma once

#include <functional>
#include <string>

#include "measurement/RunInterfaces.h"
#include "measurement/SharedTexts.h"
#include "measurement/Telegram.h"

namespace pzam::measurement {

class TPortDecoder {
 public:
  // `view` and `port` must outlive the decoder; trace lines go into `directory`.
  TPortDecoder(IRunView& view, IRunPort& port, std::string directory)
      : FView(view), FPort(port), FDirectory(std::move(directory)) {}

  // Decodes every complete telegram or text of `bytes` in order; `value` gets each value's texts
  // (it may change them: the run's processing fills in its figures). An unfinished tail waits for
  // the next bytes. Other modes decode nothing.
  void Feed(int mode, const std::string& bytes, const std::function<void(TSharedTexts&)>& value);
  // Forgets a telegram or text that began but never ended (its line was lost).
  void DropUnfinished() {
    FGaugeFramer.Clear();
    FLineFramer.Clear();
  }
  // A new run counts its signed values from 1 again.
  void ResetCounter() { FCounter = 0; }
  int Counter() const { return FCounter; }
  const TSharedTexts& Texts() const { return FTexts; }

 private:
  IRunView& FView;
  IRunPort& FPort;
  std::string FDirectory;
  TGaugeFramer FGaugeFramer;
  TLineFramer FLineFramer;
  TSharedTexts FTexts;
  TGaugeTelegram FTelegram;
  int FCounter = 0;
};

}  // namespace pzam::measurement
