// Program start: the application title, the main window, then the settings window, then the
// message loop until the main window is closed.
#include <QApplication>

#include "config/SettingsFile.h"
#include "config/ui/Einstellungen.h"
#include "measurement/ui/Main.h"
#include "serial/COMManager.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"
#include "serial/comm/PosixCommApi.h"
#include "ui/DeviceWatch.h"
#include "ui/QtDispatcher.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  // The [Ports] section must be known before the port manager scans for the first time.
  pzam::comm::PlatformPortNames().SetExplicitMap(pzam::ReadPortMap(pzam::SettingsFilePath()));
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
