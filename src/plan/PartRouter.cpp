#include "plan/PartRouter.h"

#include <algorithm>

namespace pzam::plan {

bool Inside(const TCharacteristic& c, double value) {
  return (!c.Lower || value >= *c.Lower) && (!c.Upper || value <= *c.Upper);
}

TPartRouter::TPartRouter(TPlan plan, IPartEvents& events)
    : FPlan(std::move(plan)), FEvents(events), FValues(FPlan.Characteristics.size()) {}

std::optional<int> TPartRouter::OpenCharacteristic(int port) const {
  for (std::size_t i = 0; i < FPlan.Characteristics.size(); ++i) {
    if (FPlan.Characteristics[i].Port == port && !FValues[i]) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::optional<int> TPartRouter::NextCharacteristic() const {
  for (std::size_t i = 0; i < FValues.size(); ++i)
    if (!FValues[i]) return static_cast<int>(i);
  return std::nullopt;
}

bool TPartRouter::Received(const TGaugeValue& value) {
  const auto ofPort = [&](const auto& x) { return x.Port == value.Port; };
  const auto held =
      std::count_if(FHeld.begin(), FHeld.end(), [&](const THeld& h) { return ofPort(h.Value); });
  const auto places =
      std::count_if(FPlan.Characteristics.begin(), FPlan.Characteristics.end(), ofPort);
  if (held >= places) return false;
  // A value whose port has no open characteristic belongs to a part yet to come.
  const bool portFull = !WaitsForId() && !OpenCharacteristic(value.Port);
  FHeld.push_back({value, portFull ? FPart + 1 : FPart});
  PlaceHeld();
  return true;
}

bool TPartRouter::SetPartId(const std::string& id) {
  if (!WaitsForId()) return false;
  FPartId = id;
  FHasId = true;
  PlaceHeld();
  return true;
}

bool TPartRouter::Repeat() {
  if (FTakenOrder.empty()) return false;
  const int c = FTakenOrder.back();
  FTakenOrder.pop_back();
  const TRoutedValue discarded{FPart, FPartId, c, *FValues[c]};
  FValues[c].reset();
  FEvents.ValueDiscarded(discarded);
  return true;
}

std::vector<TGaugeValue> TPartRouter::End() {
  if (!FTakenOrder.empty()) {
    TPartResult r{FPart, FPartId, FValues, false, false};
    FEvents.PartEnded(r);
  }
  std::vector<TGaugeValue> held;
  for (const THeld& h : FHeld) held.push_back(h.Value);
  FHeld.clear();
  return held;
}

bool TPartRouter::Place(const THeld& held) {
  if (WaitsForId() || FPart < held.FirstPart) return false;
  const std::optional<int> c = OpenCharacteristic(held.Value.Port);
  if (!c) return false;
  FValues[*c] = held.Value;
  FTakenOrder.push_back(*c);
  FEvents.ValueTaken({FPart, FPartId, *c, held.Value});
  if (!NextCharacteristic()) CompletePart();
  return true;
}

// In the order the values came; each placed value may complete a part and so let others in.
void TPartRouter::PlaceHeld() {
  for (bool placed = true; placed;) {
    placed = false;
    for (auto it = FHeld.begin(); it != FHeld.end(); ++it) {
      // A port's values for one part keep their order: one that cannot go yet holds back the
      // later ones (but not a repeat's value, which is for an earlier part than those held ahead).
      const bool earlierOfPort = std::any_of(FHeld.begin(), it, [&](const THeld& h) {
        return h.Value.Port == it->Value.Port && h.FirstPart <= it->FirstPart;
      });
      if (earlierOfPort) continue;
      const THeld held = *it;
      if (Place(held)) {
        FHeld.erase(it);
        placed = true;
        break;
      }
    }
  }
}

void TPartRouter::CompletePart() {
  TPartResult r{FPart, FPartId, FValues, true, true};
  for (std::size_t i = 0; i < FValues.size(); ++i)
    r.Ok = r.Ok && Inside(FPlan.Characteristics[i], FValues[i]->Value);
  ++(r.Ok ? FOk : FNok);
  FEvents.PartEnded(r);
  StartPart();
}

void TPartRouter::StartPart() {
  ++FPart;
  FPartId.clear();
  FHasId = false;
  FValues.assign(FPlan.Characteristics.size(), std::nullopt);
  FTakenOrder.clear();
}

}  // namespace pzam::plan
