// Both windows on a program folder of their own (settings file, language files), a recording
// comm layer with COM1, COM3 and COM4 present, and the message boxes recorded instead of shown.
#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "QtApp.h"
#include "app/Main.h"
#include "common/Paths.h"
#include "config/ui/Einstellungen.h"
#include "serial/COMManager.h"
#include "support/FakeCommApi.h"
#include "ui/Controls.h"
#include "ui/MessageBoxes.h"

namespace pzam::test {

struct TShownBox {
  ui::TBoxKind Kind;
  std::string Caption;
  std::string Text;
};

class WindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QtApp();
    namespace fs = std::filesystem;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    Dir = fs::temp_directory_path() /
          (std::string("pzam_ui_") + info->test_suite_name() + "_" + info->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir / "run");
    for (const char* lng : {"lng_deutsch.lng", "lng_english.lng"}) {
      fs::copy_file(fs::path(ExecutableDir()) / lng, Dir / lng);
    }
    Comm.SetPresent({"COM1", "COM3", "COM4"});
    Manager = std::make_unique<serial::TCOMManager>(Comm, 4);
    FPreviousPresenter =
        ui::SetBoxPresenter([this](ui::TBoxKind kind, const QString& caption, const QString& text) {
          Boxes.push_back({kind, caption.toStdString(), text.toStdString()});
        });
  }

  void TearDown() override {
    Config.reset();
    Main.reset();
    Manager.reset();
    ui::SetBoxPresenter(FPreviousPresenter);
    std::filesystem::remove_all(Dir);
  }

  std::string ProgramDir() const { return Dir.string() + "/"; }
  std::string SettingsPath() const { return ProgramDir() + "PZAMConfig.ini"; }
  std::string RunDir() const { return (Dir / "run").string() + "/"; }

  void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
  }

  // Creates both windows as the program does; the start-up step has not run yet.
  void Create() {
    TMainSetup setup;
    setup.ProgramDir = ProgramDir();
    setup.RunDirectory = RunDir();
    setup.Comm = Api;
    setup.Clock = Clock;
    setup.Manager = Manager.get();
    setup.Wait = [](std::chrono::milliseconds) {};
    setup.Format = TFormatSettings{',', "%H:%M:%S"};
    Main = std::make_unique<TF_Main>(setup);
    Config = std::make_unique<TF_Config>(Main.get());
    Main->SetConfig(Config.get());
  }

  // Creates both windows and runs the start-up step against the settings file (if any).
  void Start(const std::string* settings = nullptr) {
    if (settings != nullptr) WriteFile(SettingsPath(), *settings);
    Create();
    Main->Ti_StartupTimer();
  }
  void Start(const std::string& settings) { Start(&settings); }

  // Waits until the count panel shows count (values arrive through the event loop).
  void AwaitCount(const char* count) {
    EXPECT_TRUE(WaitUntil([&] { return Main->Pa_Anz->text() == count; }))
        << "count " << Main->Pa_Anz->text().toStdString() << ", expected " << count;
  }

  std::string Text(int id) const { return Main->LanguageText(id); }

  std::filesystem::path Dir;
  comm::TFakeCommApi Comm;
  // The comm layer the windows use (the recording one unless a test puts another in place).
  comm::ICommApi* Api = &Comm;
  std::function<TDateTime()> Clock;
  std::unique_ptr<serial::TCOMManager> Manager;
  std::unique_ptr<TF_Main> Main;
  std::unique_ptr<TF_Config> Config;
  std::vector<TShownBox> Boxes;

 private:
  ui::TBoxPresenter FPreviousPresenter;
};

// A settings file as the program writes it, with the given choices.
inline std::string SettingsText(const std::string& select, const std::string& language) {
  return "[Select]\n" + select + "\n[Language]\nLastLanguage=" + language + "\n";
}

}  // namespace pzam::test
