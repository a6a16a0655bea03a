// The windows as the program builds them, for the documentation's pictures: a folder of their own
// with the shipped language files and the given settings, a recording comm layer (COM1, COM3,
// COM4 present) so the pictures do not depend on the machine's ports, a fixed clock and ","
// as the decimal separator. The start-up step has run and the batch number is "4711".
#pragma once

#include <QLineEdit>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Main.h"
#include "common/Paths.h"
#include "config/ui/Einstellungen.h"
#include "serial/COMManager.h"
#include "support/FakeCommApi.h"

namespace pzam::test {

class TShotWindows {
 public:
  TShotWindows(const std::string& folderName, const std::string& settings)
      : FWork(MakeFolder(folderName, settings)),
        FManager(comm::WithPresent(FComm, {"COM1", "COM3", "COM4"}), 4) {
    TMainSetup setup;
    setup.ProgramDir = FWork.string() + "/";
    setup.RunDirectory = FWork.string() + "/";
    setup.Comm = &FComm;
    setup.Manager = &FManager;
    setup.Format = TFormatSettings{',', "%H:%M:%S"};
    setup.Clock = [] { return TDateTime{2026, 12, 8, 9, 5, 3}; };
    FMain = std::make_unique<TF_Main>(setup);
    FConfig = std::make_unique<TF_Config>(FMain.get());
    FMain->SetConfig(FConfig.get());
    FMain->Ti_StartupTimer();
    FMain->Ed_CharNum->setText("4711");
  }
  ~TShotWindows() {
    FConfig.reset();
    FMain.reset();
    std::filesystem::remove_all(FWork);
  }

  TF_Main& Main() { return *FMain; }
  TF_Config& Config() { return *FConfig; }
  comm::TFakeCommApi& Comm() { return FComm; }

 private:
  static std::filesystem::path MakeFolder(const std::string& name, const std::string& settings) {
    namespace fs = std::filesystem;
    const fs::path work = fs::temp_directory_path() / name;
    fs::remove_all(work);
    fs::create_directories(work);
    for (const char* lng : {"lng_deutsch.lng", "lng_english.lng"})
      fs::copy_file(fs::path(ExecutableDir()) / lng, work / lng);
    std::ofstream(work / "PZAMConfig.ini") << settings;
    return work;
  }

  std::filesystem::path FWork;
  comm::TFakeCommApi FComm;
  serial::TCOMManager FManager;
  std::unique_ptr<TF_Main> FMain;
  std::unique_ptr<TF_Config> FConfig;
};

}  // namespace pzam::test
