// The hand-over the program uses: the port's event thread tags each text it read with the run's
// generation and queues it; the window thread processes the queue. Texts of an ended run are
// dropped, however late they arrive.
#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "RunFakes.h"
#include "TestFiles.h"
#include "measurement/MeasurementRun.h"

namespace pzam::measurement {
namespace {

struct TQueued {
  std::string Bytes;
  std::uint64_t Generation;
};

class TQueue {
 public:
  void Post(TQueued item) {
    {
      std::lock_guard lock(FMutex);
      FItems.push_back(std::move(item));
    }
    FReady.notify_one();
  }
  TQueued Take() {
    std::unique_lock lock(FMutex);
    FReady.wait(lock, [&] { return !FItems.empty(); });
    TQueued item = std::move(FItems.front());
    FItems.pop_front();
    return item;
  }

 private:
  std::mutex FMutex;
  std::condition_variable FReady;
  std::deque<TQueued> FItems;
};

TEST(RunThreads, TextsAreTaggedOnTheEventThreadAndProcessedOnTheWindowThread) {
  test::TTempDir dir;
  test::TRecordingView view;
  test::TFixedChoices choices;
  choices.Mode = 2;
  test::TRecordingPort port;
  TMeasurementRun run(view, choices, port, {dir.Dir().string(), [](std::chrono::milliseconds) {}});
  run.Initialise();
  const std::uint64_t generation = run.Generation();
  TQueue queue;
  std::thread eventThread([&] {
    for (int i = 0; i < 200; ++i) queue.Post({"+1.000\r", run.Generation()});
    queue.Post({"", 0});  // the last text of this run has been handed over
  });
  int taken = 0;
  for (TQueued item = queue.Take(); !item.Bytes.empty(); item = queue.Take(), ++taken)
    run.Received(item.Bytes, item.Generation);
  eventThread.join();
  EXPECT_EQ(taken, 200);
  EXPECT_EQ(run.Statistics().Count(), 200);
  run.End();
  run.Initialise();
  // A text read before End but handed over after the next Initialise belongs to the ended run.
  std::thread late([&] { queue.Post({"+2.000\r", generation}); });
  late.join();
  const TQueued item = queue.Take();
  run.Received(item.Bytes, item.Generation);
  EXPECT_EQ(run.Statistics().Count(), 0);
  run.Received("+3.000\r", run.Generation());
  EXPECT_EQ(run.Statistics().Count(), 1);
}

}  // namespace
}  // namespace pzam::measurement
