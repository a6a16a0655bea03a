// pzam-tool replay: runs a captured serial byte stream through the measuring run the program
// uses (Initialise, one read per event character, End) and prints the memo lines. Record file
// and trace file land in the current directory, as in the program.
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>

#include "Command.h"
#include "ToolRun.h"
#include "common/Paths.h"
#include "config/Language.h"
#include "measurement/MeasurementRun.h"
#include "measurement/Telegram.h"
#include "platform/Folders.h"

namespace {

using namespace pzam::measurement;

constexpr const char* kUsage =
    "replay [--mode 0|1|2|3] [--sign-swap] [--save 0|1|2] [--batch TEXT] [--decimal C] "
    "[--at \"YYYY-MM-DD hh:mm:ss\"] [--language NAME] [--whole] [--answers FILE] CAPTURE  "
    "replay a serial capture";

struct TReplayOptions : pzam::tool::TRunOptions {
  bool Whole = false;
  std::string AnswersFile;
  std::string Capture;
};

// The instrument's side of the line: always there, and it keeps what the program sends.
class TReplayPort : public IRunPort {
 public:
  std::string Name() const override { return "replay"; }
  bool Open(std::string&) override { return true; }
  void Close() override {}
  int WriteText(const std::string& text) override {
    Sent += text;
    return static_cast<int>(text.size());
  }
  std::string Sent;
};

// Reads "0".."max" as a whole number; false for anything else.
bool ParseChoice(const std::string& s, int max, int& out) {
  if (s.size() != 1 || s[0] < '0' || s[0] > '0' + max) return false;
  out = s[0] - '0';
  return true;
}

// Parses the arguments; returns an error text, empty when they are good.
std::string ParseArgs(const pzam::tool::TArgs& args, TReplayOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if (a == "--sign-swap") {
      o.SignSwap = true;
    } else if (a == "--whole") {
      o.Whole = true;
    } else if (a == "--mode" || a == "--save" || a == "--batch" || a == "--decimal" ||
               a == "--at" || a == "--language" || a == "--answers") {
      if (!hasValue) return a + " needs a value";
      const std::string& v = args[++i];
      if (a == "--mode" && !ParseChoice(v, 3, o.Mode)) return "--mode must be 0, 1, 2 or 3";
      if (a == "--save" && !ParseChoice(v, 2, o.Save)) return "--save must be 0, 1 or 2";
      if (a == "--decimal") {
        if (v.size() != 1) return "--decimal must be one character";
        o.Decimal = v[0];
      }
      if (a == "--at") {
        pzam::TDateTime t;
        if (!pzam::ParseDateTime(v, t)) return "--at must be \"YYYY-MM-DD hh:mm:ss\"";
        o.At = t;
      }
      if (a == "--batch") o.Batch = v;
      if (a == "--language") o.Language = v;
      if (a == "--answers") o.AnswersFile = v;
    } else if (a.size() > 1 && a[0] == '-' && a != "--") {
      return "unknown option " + a;
    } else {
      if (a == "--" && ++i == args.size()) break;
      if (!o.Capture.empty()) return "one capture file expected";
      o.Capture = args[i];
    }
  }
  return o.Capture.empty() ? "no capture file given" : "";
}

// The reads the port would deliver: each up to and including its event character.
std::vector<std::string> SplitReads(const std::string& capture, char eventChar) {
  std::vector<std::string> reads;
  std::size_t from = 0;
  for (std::size_t at; (at = capture.find(eventChar, from)) != std::string::npos; from = at + 1)
    reads.push_back(capture.substr(from, at + 1 - from));
  if (from < capture.size()) reads.push_back(capture.substr(from));
  return reads;
}

int Replay(const pzam::tool::TArgs& args) {
  TReplayOptions o;
  if (const std::string error = ParseArgs(args, o); !error.empty()) {
    std::cerr << "pzam-tool replay: " << error << '\n';
    return 2;
  }
  std::ifstream in(pzam::platform::FsPath(o.Capture), std::ios::binary);
  std::string capture;
  if (in) capture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in || in.bad()) {
    std::cerr << "pzam-tool replay: cannot read capture " << o.Capture << '\n';
    return 2;
  }
  pzam::tool::TStdoutView view(/*flushEachLine=*/false);
  pzam::tool::TOptionChoices choices(o);
  TReplayPort port;
  TMeasurementRun run(view, choices, port, {"", [](std::chrono::milliseconds) {}});
  run.ApplySignFactor();
  try {
    run.Initialise();
  } catch (const pzam::Exception& e) {
    std::cerr << "pzam-tool replay: " << e.what() << '\n';
    return 1;
  }
  const char eventChar = (o.Mode == 2 || o.Mode == 3) ? kSignedFrameEnd : kGaugeFrameEnd;
  if (o.Whole) {
    run.Received(capture);
  } else {
    for (const std::string& read : SplitReads(capture, eventChar)) run.Received(read);
  }
  run.End();
  std::cout.flush();
  if (!o.AnswersFile.empty()) {
    std::ofstream answers(pzam::platform::FsPath(o.AnswersFile),
                          std::ios::binary | std::ios::trunc);
    answers << port.Sent;
    if (!answers.flush()) {
      std::cerr << "pzam-tool replay: cannot write " << o.AnswersFile << '\n';
      return 1;
    }
  }
  return 0;
}

pzam::tool::TCommand reg("replay", kUsage, &Replay);

}  // namespace
