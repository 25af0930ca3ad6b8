// The download to readers on separate connections at the same time. The core
// keeps its state process-wide (tables, buffers, the link, the one open
// connection, files opened exclusively), so each connection gets a process of
// its own: this program again, as a worker, on a copy of the installation's
// files, running the one reader loop for that connection's readers, one after
// the other. The worker reports on its standard output what it did, line by
// line; this process alone writes the installation's files and takes over
// what each worker changed for its own readers: their bits of the reader
// masks, their erase marks and ledger entries, their lines of Log.txt.
//
// What a worker changes for its readers depends only on what those readers
// answer, never on another reader's, so the files end as the one-at-a-time
// download leaves them, whatever the timing.
#pragma once

#include <string>
#include <vector>

#include "commands.h"
#include "ops/reader_loop.h"
#include "progress.h"

namespace enroltool {

// Which loop a download runs.
enum class DownloadKind { Bulk, Erase, Persons };
ops::LoopPlan download_plan(DownloadKind kind);

struct DownloadTotals {
  int stored = 0;    // add_template successes
  int failures = 0;  // failure boxes, readers whose worker ended early, failed writes here
};

// Runs `kind` for person slots `persons` on each connection in a worker of
// its own, at most `parallel` at a time, in the installation loaded here (the
// working directory). Progress and boxes go to `progress`.
DownloadTotals download_in_workers(DownloadKind kind, const std::vector<int>& persons,
                                   const std::vector<Connection>& connections, int parallel,
                                   Progress* progress);

// The worker's command: not in the usage, started only by the download.
extern const char* const kWorkerCommand;
int run_download_worker(const Args& args);

}  // namespace enroltool
