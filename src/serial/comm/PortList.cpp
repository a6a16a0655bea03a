#include "serial/comm/PortList.h"

#include <libudev.h>

#include <filesystem>
#include <memory>

namespace pzam::comm {

namespace {

namespace fs = std::filesystem;

std::string Property(udev_device* dev, const char* name) {
  const char* v = udev_device_get_property_value(dev, name);
  return v ? v : "";
}

std::string Attribute(udev_device* dev, const char* name) {
  const char* v = udev_device_get_sysattr_value(dev, name);
  return v ? v : "";
}

std::string UsbDescription(udev_device* tty) {
  udev_device* usb = udev_device_get_parent_with_subsystem_devtype(tty, "usb", "usb_device");
  if (!usb) return "";
  std::string vendor = Property(tty, "ID_VENDOR_FROM_DATABASE");
  if (vendor.empty()) vendor = Attribute(usb, "manufacturer");
  std::string product = Property(tty, "ID_MODEL_FROM_DATABASE");
  if (product.empty()) product = Attribute(usb, "product");
  std::string text = vendor;
  if (!product.empty()) text += (text.empty() ? "" : " ") + product;
  std::string ids = Attribute(usb, "idVendor") + ":" + Attribute(usb, "idProduct");
  if (ids != ":") text += (text.empty() ? "USB (" : " (") + ids + ")";
  return text.empty() ? "USB serial adapter" : text;
}

}  // namespace

std::string DescribeDevice(const std::string& device) {
  std::error_code ec;
  fs::path real = fs::canonical(device, ec);
  if (ec) return "not present";
  std::string name = real.filename().string();
  if (real.parent_path() == "/dev/pts") return "pseudo-terminal";
  std::unique_ptr<udev, decltype(&udev_unref)> ctx(udev_new(), &udev_unref);
  if (ctx) {
    std::unique_ptr<udev_device, decltype(&udev_device_unref)> tty(
        udev_device_new_from_subsystem_sysname(ctx.get(), "tty", name.c_str()), &udev_device_unref);
    if (tty) {
      std::string usb = UsbDescription(tty.get());
      if (!usb.empty()) return usb;
    }
  }
  if (name.rfind("ttyS", 0) == 0) return "serial port";
  if (name.rfind("ttyACM", 0) == 0) return "USB modem (ACM)";
  if (name.rfind("ttyUSB", 0) == 0) return "USB serial adapter";
  return "terminal device";
}

std::vector<TPortEntry> ListPorts(const TPortNames& names) {
  std::vector<TPortEntry> list;
  for (const auto& [n, device] : names.Table()) list.push_back({n, device, DescribeDevice(device)});
  return list;
}

}  // namespace pzam::comm
