// Cost of routing one gauge value to its part and characteristic (the router of a plan run, on
// the window thread before the value processing), with parts of 3 and of 99 characteristics.
#include <benchmark/benchmark.h>

#include "plan/PartRouter.h"

namespace {

using namespace pzam::plan;

class TCountingEvents : public IPartEvents {
 public:
  void ValueTaken(const TRoutedValue&) override { ++Taken; }
  void ValueDiscarded(const TRoutedValue&) override {}
  void PartEnded(const TPartResult& r) override { Ok += r.Ok; }
  long Taken = 0, Ok = 0;
};

// `n` characteristics, alternately on two ports.
TPlan PlanOf(int n) {
  TPlan p;
  p.Name = "bench";
  for (int i = 0; i < n; ++i)
    p.Characteristics.push_back(
        {"c" + std::to_string(i), 10.0, 9.0, 11.0, "mm", 3, 5 + i % 2, 0, 0, false});
  return p;
}

void BM_RouteValue(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  TCountingEvents events;
  TPartRouter router(PlanOf(n), events);
  int i = 0;
  // The gauges send in plan order, as an operator measures a part.
  for (auto _ : state) {
    router.Received({5 + (i % n) % 2, 10.0, "+010.000", {}});
    ++i;
  }
  if (router.Held() != 0) state.SkipWithError("values were held");
  benchmark::DoNotOptimize(events.Taken);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RouteValue)->Arg(3)->Arg(99);

}  // namespace

BENCHMARK_MAIN();
