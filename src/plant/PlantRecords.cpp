#include "plant/PlantRecords.h"

namespace pzam::plant {

const char* ZoneText(TToleranceZone zone) {
  switch (zone) {
    case TToleranceZone::In:
      return "in";
    case TToleranceZone::Below:
      return "below";
    case TToleranceZone::Above:
      return "above";
    case TToleranceZone::None:
      break;
  }
  return "";
}

bool ZoneFromText(const std::string& text, TToleranceZone& zone) {
  for (TToleranceZone z :
       {TToleranceZone::None, TToleranceZone::In, TToleranceZone::Below, TToleranceZone::Above}) {
    if (text == ZoneText(z)) {
      zone = z;
      return true;
    }
  }
  return false;
}

}  // namespace pzam::plant
