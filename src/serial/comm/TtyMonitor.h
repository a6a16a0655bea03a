// Arrival and removal of tty devices, from a libudev monitor. The owner watches Fd() in its
// event loop (readable = something happened) and calls Drain(), which never blocks.
#pragma once

#include <functional>
#include <string>

struct udev;
struct udev_monitor;

namespace pzam::comm {

class TTtyMonitor {
 public:
  enum class TChange { Arrival, Removal };
  // change, and the device node ("/dev/ttyUSB0"; may be empty for nodes udev does not name).
  using TNotify = std::function<void(TChange change, const std::string& devNode)>;

  TTtyMonitor();
  ~TTtyMonitor();
  TTtyMonitor(const TTtyMonitor&) = delete;
  TTtyMonitor& operator=(const TTtyMonitor&) = delete;

  // False when udev is not available (no events will come then; Fd() is -1).
  bool Ok() const { return FFd >= 0; }
  int Fd() const { return FFd; }
  // Reads every waiting event and calls notify for each "add" and "remove" of a tty device.
  // Returns the number of notifications.
  int Drain(const TNotify& notify);

 private:
  udev* FUdev = nullptr;
  udev_monitor* FMonitor = nullptr;
  int FFd = -1;
};

}  // namespace pzam::comm
