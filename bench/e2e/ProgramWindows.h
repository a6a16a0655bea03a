// The two windows as the program's start builds them, on a program folder of their own (its
// settings and language files), for the bench programs that measure the program as a whole.
#pragma once

#include <memory>
#include <string>

#include "app/Main.h"
#include "config/ui/Einstellungen.h"
#include "serial/COMManager.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PosixCommApi.h"
#include "ui/DeviceWatch.h"
#include "ui/QtDispatcher.h"

namespace pzam::bench {

inline TMainSetup FolderSetup(const std::string& folder) {
  TMainSetup setup;
  setup.ProgramDir = folder + "/";
  setup.RunDirectory = folder + "/";
  return setup;
}

// With a dispatcher the windows follow the machine's ports as the program does (udev), watched
// from before the main window is built.
struct TProgramWindows {
  explicit TProgramWindows(const std::string& folder, ui::TQtDispatcher* dispatcher = nullptr)
      : Devices(Watch(dispatcher)), Main(FolderSetup(folder)), Config(&Main) {
    Main.SetConfig(&Config);
  }

  static std::unique_ptr<ui::TDeviceWatch> Watch(ui::TQtDispatcher* dispatcher) {
    auto* posix = dynamic_cast<comm::TPosixCommApi*>(&comm::PlatformCommApi());
    if (dispatcher == nullptr || posix == nullptr) return nullptr;
    return std::make_unique<ui::TDeviceWatch>(serial::ComManager(), *dispatcher, *posix);
  }

  std::unique_ptr<ui::TDeviceWatch> Devices;
  TF_Main Main;
  TF_Config Config;
};

}  // namespace pzam::bench
