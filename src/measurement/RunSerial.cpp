#include "measurement/RunSerial.h"

namespace pzam::measurement {

void TRunSerial::COMRemoved() {
  if (Active() && FBeforeRemoval) {
    TBeforeRemoval handler = FBeforeRemoval;  // a copy: the handler may assign the event anew
    handler(*this);
  }
  TSerial::COMRemoved();
}

}  // namespace pzam::measurement
