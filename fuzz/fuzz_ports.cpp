// Fuzzes the [Ports] section reader over any settings file (8-bit or UTF-16): every port it gives
// is COM1 to COM99 with a device name the profile functions can return.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/TextEncoding.h"
#include "config/ProfileText.h"
#include "config/SettingsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = pzam::IsUtf16Le(bytes) ? pzam::Utf16LeToUtf8(bytes) : std::string(bytes);
  for (const auto& [port, device] : pzam::PortMapFromText(text)) {
    if (port < 1 || port > 99 || device.empty()) std::abort();
    if (device.size() > pzam::profile::kMaxValueLength) std::abort();
  }
  return 0;
}
