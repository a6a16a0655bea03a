// The check of [Plant] settings before they are applied: each field that cannot be used, with the
// reason to show beside it.
#pragma once

#include <map>
#include <string>

#include "config/PlantSettings.h"

namespace pzam::plant {

enum class TPlantField { Station, Broker, User, PasswordFile, CAFile, Journal };

// Empty when every field can be used. Empty fields are allowed: no broker means no publication,
// no station the host name, no journal the one beside the settings file.
std::map<TPlantField, std::string> CheckPlantSettings(const TPlantSettings& settings);

}  // namespace pzam::plant
