#include "serial/comm/TtyMonitor.h"

#include <libudev.h>

#include <cstring>

namespace pzam::comm {

TTtyMonitor::TTtyMonitor() {
  FUdev = udev_new();
  if (!FUdev) return;
  FMonitor = udev_monitor_new_from_netlink(FUdev, "udev");
  if (!FMonitor) return;
  if (udev_monitor_filter_add_match_subsystem_devtype(FMonitor, "tty", nullptr) < 0 ||
      udev_monitor_enable_receiving(FMonitor) < 0)
    return;
  FFd = udev_monitor_get_fd(FMonitor);  // non-blocking
}

TTtyMonitor::~TTtyMonitor() {
  if (FMonitor) udev_monitor_unref(FMonitor);
  if (FUdev) udev_unref(FUdev);
}

int TTtyMonitor::Drain(const TNotify& notify) {
  if (FFd < 0) return 0;
  int count = 0;
  while (udev_device* dev = udev_monitor_receive_device(FMonitor)) {
    const char* action = udev_device_get_action(dev);
    const char* node = udev_device_get_devnode(dev);
    std::string devNode = node ? node : "";
    if (action && std::strcmp(action, "add") == 0) {
      ++count;
      if (notify) notify(TChange::Arrival, devNode);
    } else if (action && std::strcmp(action, "remove") == 0) {
      ++count;
      if (notify) notify(TChange::Removal, devNode);
    }
    udev_device_unref(dev);
  }
  return count;
}

}  // namespace pzam::comm
