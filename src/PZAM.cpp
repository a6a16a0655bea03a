// Program start: the application title, the main window, then the settings window, then the
// message loop until the main window is closed.
#include <QApplication>
#include <map>

#include "config/Einstellungen.h"
#include "config/Profile.h"
#include "config/SettingsFile.h"
#include "measurement/Main.h"
#include "serial/COMManager.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"
#include "serial/comm/PosixCommApi.h"
#include "ui/DeviceWatch.h"
#include "ui/QtDispatcher.h"

namespace {

// The settings file's optional [Ports] section names the device of a port (COM5=/dev/ttyUSB0);
// it must be known before the port manager scans for the first time.
void LoadPortMap() {
  const std::string path = pzam::SettingsFilePath();
  std::map<int, std::string> map;
  for (int n = 1; n <= 99; ++n) {
    const std::string device =
        pzam::ReadProfileString(path, "Ports", "COM" + std::to_string(n), "");
    if (!device.empty()) map[n] = device;
  }
  pzam::comm::PlatformPortNames().SetExplicitMap(map);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  LoadPortMap();
  pzam::ui::TQtDispatcher dispatcher;
  std::unique_ptr<pzam::ui::TDeviceWatch> devices;
  if (auto* posix = dynamic_cast<pzam::comm::TPosixCommApi*>(&pzam::comm::PlatformCommApi())) {
    devices =
        std::make_unique<pzam::ui::TDeviceWatch>(pzam::serial::ComManager(), dispatcher, *posix);
  }
  pzam::TF_Main main;
  pzam::TF_Config config(&main);
  main.SetConfig(&config);
  main.show();
  return QApplication::exec();
}
