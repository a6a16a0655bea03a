// The station's journal: a SQLite file (WAL, synchronous FULL, owner-only rights) that holds every
// run and its accepted values, and is the outbox of the publication: each start, value and end is
// an outbox entry in rowid order until the broker has acknowledged it.
//
// One TJournal is used from one thread. The window thread writes through its own instance, each
// call one committed transaction, so a value is durable before the next is taken; the publisher
// reads and marks through another instance on the same file. Every call returns "" on success and
// otherwise the reason; none throws.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "plant/PlantRecords.h"

struct sqlite3;

namespace pzam::plant {
struct TJournalStatements;
class TSqliteStatement;
}  // namespace pzam::plant

namespace pzam::plant {

// How a connection's commits reach the disk. Full: each commit is synced before it returns (the
// writer). Normal: WAL commits are synced at checkpoints; a mark lost in a crash only means the
// entry is published once more, which every receiver takes once (the publisher).
enum class TJournalSync { Full, Normal };

class TJournal {
 public:
  TJournal();
  ~TJournal();
  TJournal(const TJournal&) = delete;
  TJournal& operator=(const TJournal&) = delete;

  // Opens the file, creating it (mode 0600) and its tables when missing; a journal of an earlier
  // version is brought up to this one in place, keeping all it holds.
  std::string Open(const std::string& path, TJournalSync sync = TJournalSync::Full);
  bool IsOpen() const { return FDb != nullptr; }
  void Close();

  // Writes, each in its own committed transaction together with its outbox entry.
  std::string StartRun(const TRunStart& run);
  std::string AddValue(const TValueRecord& value);
  // Marks a value of an open run discarded (a part's repeat took it back) and publishes it once
  // more so marked; it stays in the journal for traceability.
  std::string DiscardValue(const std::string& runId, std::int64_t seq);
  // Ends an open run; a run that is not open is refused.
  std::string EndRun(const TRunEnd& end);

  // Runs in order of their start, each with its plan's characteristics; only those of `batch`
  // when one is given.
  std::string ListRuns(const std::optional<std::string>& batch, std::vector<TRunRecord>& runs);
  // The run with this id and its plan's characteristics; `run` stays empty when there is none.
  std::string FindRun(const std::string& runId, std::optional<TRunRecord>& run);
  // The run's values in order of seq.
  std::string RunValues(const std::string& runId, std::vector<TValueRecord>& values);

  // Up to `limit` unpublished entries with an id above `afterId`, in id order. Their runs come
  // without the plan's characteristics.
  std::string Unpublished(std::int64_t afterId, int limit, std::vector<TOutboxEntry>& entries);
  // Marks the entries published (one transaction for all).
  std::string MarkPublished(const std::vector<std::int64_t>& ids);
  // How many values wait for publication.
  std::string WaitingValues(std::int64_t& count);
  // How many entries (starts, values, ends) wait for publication.
  std::string PendingEntries(std::int64_t& count);

 private:
  std::string Failure(const std::string& what) const;
  std::string CountUnpublished(TSqliteStatement& statement, std::int64_t& count);
  // Reads the run's characteristics into it.
  std::string ReadCharacteristics(TRunStart& run);

  sqlite3* FDb = nullptr;
  std::unique_ptr<TJournalStatements> FSql;
};

}  // namespace pzam::plant
