// The settings text: a port's complete settings as 95 characters of digits after the mark "MZT1",
// closed by a check number (the exclusive-or of the first 92 character codes).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "serial/SerialTypes.h"

namespace pzam::serial {

// The text of a record; empty when the record is not valid.
std::string SettingsToText(const TSerialSettings& settings);

// Reads a settings text into settings, which holds the current settings on entry. Valid tells
// whether the text was accepted; a rejected text may leave fields read before the failing one.
// The setters' range rules are not applied here.
void TextToSettings(const std::string& text, TSerialSettings& settings);

// Every field of the record in order as name and value: characters as their codes, enumerations
// as their ordinals, Booleans as 0 or 1.
std::vector<std::pair<std::string, std::string>> SettingsFields(const TSerialSettings& settings);

}  // namespace pzam::serial
