// The router of a run with an inspection plan: it assigns each value a gauge sends to its part and
// characteristic, asks for part ids, repeats a value and judges each complete part. Plain logic on
// the window thread, told what arrives and telling its listener what it did; the ports, the value
// processing and the files are the run's.
//
// A value that arrives on a port goes to the first characteristic of that port still open in the
// current part, in plan order. A value that cannot be placed yet (the part waits for its id, or
// every characteristic of that port has its value while others still wait) is held, in the order
// it came, and placed as soon as it can be: never lost, never put into the wrong part.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "common/Clock.h"
#include "plan/Plan.h"

namespace pzam::plan {

// A value as its port's decoding gives it: signed, with the gauge's text and its clock reading.
struct TGaugeValue {
  int Port = 0;
  double Value = 0;
  std::string Text;
  TClockReading Time;
};

struct TRoutedValue {
  int Part = 0;  // 1, 2, ... within the run
  std::string PartId;
  int Characteristic = 0;  // index into the plan's characteristics
  TGaugeValue Gauge;
};

// A part as it ended: its values by characteristic (empty where none came) and its judgement.
struct TPartResult {
  int Part = 0;
  std::string PartId;
  std::vector<std::optional<TGaugeValue>> Values;
  bool Complete = false;  // every characteristic has its value
  bool Ok = false;        // complete, and every value inside its tolerance
};

class IPartEvents {
 public:
  virtual ~IPartEvents() = default;
  // A value went into the current part.
  virtual void ValueTaken(const TRoutedValue& value) = 0;
  // Repeat took the part's last value back; the next value of its characteristic replaces it.
  virtual void ValueDiscarded(const TRoutedValue& value) = 0;
  // The part is over: complete, or cut short by the run's end (Complete false, no judgement).
  virtual void PartEnded(const TPartResult& part) = 0;
};

class TPartRouter {
 public:
  TPartRouter(TPlan plan, IPartEvents& events);

  // A value from a gauge; placed now or held (true), or refused because its port already holds a
  // part's worth of values (false).
  bool Received(const TGaugeValue& value);
  // The id of the current part (typed or scanned). False when the part does not wait for one.
  bool SetPartId(const std::string& id);
  // Takes the current part's last value back. False when the part has none.
  bool Repeat();
  // The run ends: a part with values ends incomplete; held values are given back, in order.
  std::vector<TGaugeValue> End();

  // The state the plan window shows.
  int Part() const { return FPart; }
  const std::string& PartId() const { return FPartId; }
  bool WaitsForId() const { return FPlan.PartIds && !FHasId; }
  // The characteristic the next value goes to on its port, for each open one in plan order: the
  // first of them is the one that waits next.
  std::optional<int> NextCharacteristic() const;
  const std::vector<std::optional<TGaugeValue>>& Values() const { return FValues; }
  int OkParts() const { return FOk; }
  int NokParts() const { return FNok; }
  std::size_t Held() const { return FHeld.size(); }

 private:
  // A held value and the first part it may go into: the current one when it waits for the part's
  // id, the next one when its port had no open characteristic left (a value measured ahead never
  // fills a place a repeat has opened).
  struct THeld {
    TGaugeValue Value;
    int FirstPart = 1;
  };

  // The characteristic a value on this port goes to now; none when it must wait.
  std::optional<int> OpenCharacteristic(int port) const;
  bool Place(const THeld& held);
  void PlaceHeld();
  void CompletePart();
  void StartPart();

  TPlan FPlan;
  IPartEvents& FEvents;
  int FPart = 1;
  std::string FPartId;
  bool FHasId = false;
  std::vector<std::optional<TGaugeValue>> FValues;
  std::vector<int> FTakenOrder;  // characteristics in the order they got their values
  std::deque<THeld> FHeld;
  int FOk = 0, FNok = 0;
};

// True when the value lies inside the characteristic's limits (a missing limit does not bound).
bool Inside(const TCharacteristic& c, double value);

}  // namespace pzam::plan
