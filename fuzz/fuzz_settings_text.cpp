// TextToSettings on arbitrary input: never crashes, and an accepted text encodes back to the
// same first 95 characters (fields and check number are all it reads).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "serial/SettingsText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  pzam::serial::TSerialSettings s;
  pzam::serial::TextToSettings(text, s);
  if (!s.Valid) return 0;
  pzam::serial::TSerialSettings again;
  pzam::serial::TextToSettings(pzam::serial::SettingsToText(s), again);
  if (!again.Valid || !(again == s)) std::abort();
  return 0;
}
