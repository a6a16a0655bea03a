// Program start: the application title, the main window, then the settings window, then the
// message loop until the main window is closed (by the operator or by SIGTERM, SIGINT, SIGHUP).
#include <QApplication>

#include "app/Main.h"
#include "config/SettingsFile.h"
#include "config/ui/Einstellungen.h"
#include "serial/COMManager.h"
#include "serial/comm/PlatformCommApi.h"
#include "serial/comm/PortNames.h"
#include "ui/CloseOnSignal.h"
#include "ui/DeviceWatch.h"
#include "ui/QtDispatcher.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("P-ZAM");
  // The [Ports] section must be known before the port manager scans for the first time.
  pzam::TMainSetup setup;
  setup.SettingsPath = pzam::SettingsFilePath();
  pzam::comm::PlatformPortNames().SetExplicitMap(pzam::ReadPortMap(setup.SettingsPath));
  pzam::ui::TQtDispatcher dispatcher;
  pzam::ui::TDeviceWatch devices(pzam::serial::ComManager(), dispatcher,
                                 pzam::comm::PlatformCommApi());
  pzam::TF_Main main(setup);
  pzam::TF_Config config(&main);
  main.SetConfig(&config);
  pzam::ui::TCloseOnSignal closeOnSignal(&main);
  main.show();
  return QApplication::exec();
}
