// pzam-tool measure: a measuring run on a real serial line without windows, for automated
// stations and scripts. Memo lines go to stdout as they happen; every line on stdin takes a value
// (mode 2); end of input, a line "q", SIGINT or SIGTERM end the run. Record file and trace file
// land in the current directory. Every run and value goes into the station's journal, and from
// there to the broker when the settings' [Plant] section names one.
#include <algorithm>
#include <csignal>
#include <iostream>
#include <map>
#include <memory>

#include "Command.h"
#include "ToolRun.h"
#include "common/EventLoop.h"
#include "common/FormatSettings.h"
#include "common/Paths.h"
#include "config/ExportSettings.h"
#include "config/Language.h"
#include "config/PlantSettings.h"
#include "config/Profile.h"
#include "config/SettingsFile.h"
#include "export/DfqOnEnd.h"
#include "measurement/MeasurementRun.h"
#include "measurement/NumberText.h"
#include "measurement/SerialBinding.h"
#include "measurement/SerialRunPort.h"
#include "plan/PlanRun.h"
#include "plant/JournalPath.h"
#include "plant/JournalWriter.h"
#include "plant/Publisher.h"
#include "platform/Files.h"
#include "serial/LineParameters.h"
#include "serial/PortWatch.h"
#include "serial/SerThread.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"

namespace pzam::tool {
namespace {

using namespace std::chrono_literals;
using namespace pzam::measurement;

constexpr const char* kUsage =
    "measure (--port COMn [--mode 0|2|3] [--cable duplex|simplex] [--sign-swap] | --plan FILE) "
    "[--save 0|1|2] [--batch TEXT] [--language NAME] [--config FILE]  a measuring run on a "
    "serial port, or on the ports of an inspection plan";

struct TMeasureOptions : TRunOptions {
  int Port = 0;
  std::string Config;
  std::string Plan;
  bool GaugeOptions = false;  // --port, --mode, --cable or --sign-swap given
};

std::string ParseArgs(const TArgs& args, TMeasureOptions& o) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--sign-swap") {
      o.SignSwap = o.GaugeOptions = true;
      continue;
    }
    if (a != "--port" && a != "--mode" && a != "--cable" && a != "--save" && a != "--batch" &&
        a != "--language" && a != "--config" && a != "--plan")
      return "unknown argument " + a;
    if (a == "--port" || a == "--mode" || a == "--cable") o.GaugeOptions = true;
    if (i + 1 == args.size()) return a + " needs a value";
    const std::string& v = args[++i];
    if (a == "--port" && (o.Port = comm::PortNumberFromName(v)) == 0)
      return "--port must be COM1 to COM99";
    if (a == "--mode") {
      if (v != "0" && v != "2" && v != "3") return "--mode must be 0, 2 or 3";
      o.Mode = v[0] - '0';
    }
    if (a == "--cable") {
      if (v != "duplex" && v != "simplex") return "--cable must be duplex or simplex";
      o.Cable = v == "simplex" ? 1 : 0;
    }
    if (a == "--save") {
      if (v != "0" && v != "1" && v != "2") return "--save must be 0, 1 or 2";
      o.Save = v[0] - '0';
    }
    if (a == "--batch") o.Batch = v;
    if (a == "--language") o.Language = v;
    if (a == "--config") o.Config = v;
    if (a == "--plan") o.Plan = v;
  }
  if (!o.Plan.empty())
    return o.GaugeOptions ? "--plan takes its ports and modes from the plan" : "";
  return o.Port == 0 ? "--port is required" : "";
}

// The stored settings text, then the operating mode's line parameters, then the port chosen.
void ConfigurePort(TRunSerial& serial, const TMeasureOptions& o, const std::string& path) {
  serial::TSerialSettings settings;
  serial.TextToSettings(ReadProfileString(path, settings::kSerial, settings::kCom, "0"), settings);
  serial.SetSettings(settings);
  serial::ApplyLineParameters(serial, o.Mode, o.Cable);
  // Unchecked: a port the manager does not list still fails with the system's reason.
  serial.SetCOMPortUnchecked(o.Port);
}

// Stdin, line by line: "q" ends the run, any other line goes to `onLine`. End of input ends it
// too. Input that arrives after the end is left alone.
class TStdinLines {
 public:
  TStdinLines(std::function<void(const std::string&)> onLine, std::function<void()> end)
      : FOnLine(std::move(onLine)), FEnd(std::move(end)) {}
  // A chunk of stdin as TEventLoop::WatchInput hands it on; empty at the end of input.
  void OnInput(std::string_view chunk) {
    if (FEnded) return;
    if (chunk.empty()) return End();
    FPending.append(chunk);
    for (std::size_t at; (at = FPending.find('\n')) != std::string::npos;) {
      std::string line = FPending.substr(0, at);
      FPending.erase(0, at + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line == "q") return End();
      FOnLine(line);
    }
  }

 private:
  void End() {
    FEnded = true;
    FEnd();
  }

  std::function<void(const std::string&)> FOnLine;
  std::function<void()> FEnd;
  std::string FPending;
  bool FEnded = false;
};

// Runs Initialise: 0 when the run started, else the exit code with the reason on stderr (3 when a
// port does not open, 1 when a file cannot be created).
int Started(const std::function<void()>& initialise) {
  try {
    initialise();
  } catch (const ERunError& e) {
    std::cerr << "pzam-tool measure: " << e.what() << '\n';
    return 3;
  } catch (const Exception& e) {
    std::cerr << "pzam-tool measure: " << e.what() << '\n';
    return 1;
  }
  return 0;
}

// The station's journal of the settings file in use, and its publisher when [Plant] names a
// broker. Settings that cannot be used are said once; the run is measured and journaled all the
// same.
struct TStationPlant {
  TStationPlant(const std::string& settingsPath, const TPlantSettings& settings,
                const std::string& station, TStdoutView& view)
      : Journal(
            plant::StationJournalOf(settingsPath),
            [&view](const std::string& line) { view.AddMemoLine(line); },
            [this] {
              if (Publisher) Publisher->Notify();
            }) {
    if (settings.Broker.empty()) return;
    Publisher = std::make_unique<plant::TPublisher>(
        plant::TPublisherOptions{station, settings.Broker, settings.User, settings.PasswordFile,
                                 settings.CAFile},
        Journal.Path());
    if (const plant::TPublisherStatus s = Publisher->Status();
        s.State == plant::TPlantLinkState::NotConfigured)
      std::cerr << "pzam-tool measure: no publication: " << s.Problem << '\n';
  }
  // The broker gets what waits before the tool ends; what does not go out within three seconds
  // waits in the journal for the next start.
  void Drain() {
    if (Publisher) Publisher->Drain(3s);
  }

  std::unique_ptr<plant::TPublisher> Publisher;
  plant::TJournalWriter Journal;
};

// [Export] Dfq=1: the run's transfer file at its end in the current directory; what goes wrong
// or is cut is said on stderr.
struct TDfqExport {
  explicit TDfqExport(const std::string& settingsPath)
      : OnEnd([](const std::string& line) { std::cerr << "pzam-tool measure: " << line << '\n'; }) {
    OnEnd.SetEnabled(ReadExportSettings(settingsPath).Dfq);
  }
  dfq::TDfqOnEnd OnEnd;
};

// Stdin of a plan run, line by line: "id TEXT" the part's id, "take N" a Sylvac request for
// characteristic N, "repeat", "q" ends the run (so does the end of input).
void PlanLine(plan::TPlanRun& run, const std::string& line, TStdoutView& view) {
  if (line.rfind("id ", 0) == 0) {
    if (!run.SetPartId(line.substr(3))) view.AddMemoLine("the part does not wait for an id");
  } else if (line.rfind("take ", 0) == 0) {
    int n = 0;
    if (!TryStrToInt(line.substr(5), n) || !run.TakeValue(n))
      view.AddMemoLine("take: no characteristic " + line.substr(5) + " in Sylvac mode");
  } else if (line == "repeat") {
    if (!run.Repeat()) view.AddMemoLine("repeat: the part has no value yet");
  } else if (!line.empty()) {
    view.AddMemoLine("unknown line '" + line + "' (id TEXT, take N, repeat, q)");
  }
}

// A run of an inspection plan: one port component and binding per port the plan names.
int MeasurePlan(TMeasureOptions& o, const std::string& path) {
  plan::TPlan thePlan;
  std::vector<plan::TPlanProblem> problems;
  std::string error;
  if (!plan::ReadPlan(o.Plan, thePlan, problems, error)) {
    std::cerr << "pzam-tool measure: " << error << '\n';
    return 2;
  }
  for (const plan::TPlanProblem& p : plan::CheckPlan(thePlan)) problems.push_back(p);
  if (!problems.empty()) {
    for (const plan::TPlanProblem& p : problems)
      std::cerr << "pzam-tool measure: " << o.Plan << ": "
                << (p.Row == 0 ? std::string("[Plan]")
                               : "[Characteristic" + std::to_string(p.Row) + "]")
                << " " << p.Field << ": " << p.Reason << '\n';
    return 2;
  }
  comm::TPortNames& names = comm::PlatformPortNames();
  names.SetExplicitMap(ReadPortMap(path));
  TEventLoop loop;
  comm::ICommApi& api = comm::PlatformCommApi();
  serial::TCOMManager manager(api, serial::TCOMManager::kMaxPort);
  serial::TPortWatch watch(manager, loop, api);
  const TPlantSettings plantSettings = ReadPlantSettings(path);
  o.Station = StationName(plantSettings);
  TStdoutView view(/*flushEachLine=*/true);
  TOptionChoices choices(o);
  SetReasonTexts(choices.ReasonTexts());

  std::vector<std::unique_ptr<TRunSerial>> serials;
  std::vector<std::unique_ptr<TSerialRunPort>> ports;
  std::map<int, IRunPort*> byNumber;
  for (int com : plan::PlanPorts(thePlan)) {
    const auto& c = *std::find_if(thePlan.Characteristics.begin(), thePlan.Characteristics.end(),
                                  [com](const plan::TCharacteristic& x) { return x.Port == com; });
    auto serial = std::make_unique<TRunSerial>(api, manager, &loop);
    TMeasureOptions portOptions = o;
    portOptions.Port = com;
    portOptions.Mode = c.Mode;
    portOptions.Cable = c.Cable;
    ConfigurePort(*serial, portOptions, path);
    ports.push_back(std::make_unique<TSerialRunPort>(*serial));
    byNumber[com] = ports.back().get();
    serials.push_back(std::move(serial));
  }
  plan::TPlanRun run(thePlan, view, choices, byNumber);
  std::vector<std::unique_ptr<TSerialRunBinding>> bindings;
  for (std::size_t i = 0; i < serials.size(); ++i)
    bindings.push_back(std::make_unique<TSerialRunBinding>(
        *serials[i], run.Port(serials[i]->COMPort()), view, choices, loop));

  TStationPlant plant(path, plantSettings, o.Station, view);
  run.AddListener(plant.Journal);
  TDfqExport dfqExport(path);
  run.AddListener(dfqExport.OnEnd);

  auto end = [&] {
    run.End();
    loop.Quit();
  };
  loop.OnSignal(SIGINT, end);
  loop.OnSignal(SIGTERM, end);
  if (const int code = Started([&] { run.Initialise(); }); code != 0) return code;
  TStdinLines input([&](const std::string& line) { PlanLine(run, line, view); }, end);
  loop.WatchInput([&](std::string_view chunk) { input.OnInput(chunk); });
  if (watch.Fd() >= 0) loop.Watch(watch.Fd(), [&] { watch.OnReadable(); });
  loop.AddTimer(500ms, [&] {
    const bool lost =
        std::any_of(bindings.begin(), bindings.end(), [](const auto& b) { return b->PortLost(); });
    if (!lost) return;
    names.SetExplicitMap(ReadPortMap(path));
    manager.RescanPorts();
  });
  loop.Run();
  std::cout.flush();
  serial::WaitForEventThreads(2s);
  plant.Drain();
  return 0;
}

int Measure(const TArgs& args) {
  TMeasureOptions o;
  if (const std::string error = ParseArgs(args, o); !error.empty()) {
    std::cerr << "pzam-tool measure: " << error << "\nusage: pzam-tool " << kUsage << '\n';
    return 2;
  }
  const std::string path = o.Config.empty() ? SettingsFilePath() : o.Config;
  if (!o.Config.empty() && platform::EntryKind(path) != platform::TEntryKind::File) {
    std::cerr << "pzam-tool measure: cannot read '" << path << "'\n";
    return 2;
  }
  if (!o.Plan.empty()) return MeasurePlan(o, path);
  comm::TPortNames& names = comm::PlatformPortNames();
  names.SetExplicitMap(ReadPortMap(path));

  TEventLoop loop;
  comm::ICommApi& api = comm::PlatformCommApi();
  serial::TCOMManager manager(api, serial::TCOMManager::kMaxPort);
  serial::TPortWatch watch(manager, loop, api);
  TRunSerial serial(api, manager, &loop);
  ConfigurePort(serial, o, path);

  const TPlantSettings plantSettings = ReadPlantSettings(path);
  o.Station = StationName(plantSettings);
  TStdoutView view(/*flushEachLine=*/true);
  TOptionChoices choices(o);
  SetReasonTexts(choices.ReasonTexts());
  TSerialRunPort port(serial);
  TMeasurementRun run(view, choices, port);
  TStationPlant plant(path, plantSettings, o.Station, view);
  run.AddListener(plant.Journal);
  TDfqExport dfqExport(path);
  run.AddListener(dfqExport.OnEnd);
  TSerialRunBinding binding(serial, run, view, choices, loop);
  auto end = [&] {
    run.End();
    loop.Quit();
  };
  // Taken from here on: a signal during Initialise ends the run as soon as the loop runs.
  loop.OnSignal(SIGINT, end);
  loop.OnSignal(SIGTERM, end);
  run.ApplySignFactor();
  if (const int code = Started([&] { run.Initialise(); }); code != 0) return code;

  TStdinLines input([&](const std::string&) { run.TakeValue(); }, end);
  loop.WatchInput([&](std::string_view chunk) { input.OnInput(chunk); });
  if (watch.Fd() >= 0) loop.Watch(watch.Fd(), [&] { watch.OnReadable(); });
  // Ports that return without a device event (a pseudo-terminal, a re-pointed link) are found
  // by rescanning while the run's port is lost. [Ports] is read again first: a port that comes
  // back may stand for another device now (a new pseudo-terminal), and its old device name may
  // already belong to somebody else's line.
  loop.AddTimer(500ms, [&] {
    if (!binding.PortLost()) return;
    names.SetExplicitMap(ReadPortMap(path));
    manager.RescanPorts();
  });
  loop.Run();
  std::cout.flush();
  serial::WaitForEventThreads(2s);
  plant.Drain();
  return 0;
}

TCommand reg("measure", kUsage, &Measure);

}  // namespace
}  // namespace pzam::tool
