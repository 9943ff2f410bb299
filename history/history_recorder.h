#pragma once
// Records check runs in the history store on a thread of its own, so that neither a run nor
// the window ever waits for the disk. The user-interface thread hands each finished run over
// and goes on; a database that is locked, full, read-only or damaged costs a line in the log,
// never a run: a damaged file is moved aside with a time stamp and a new one started.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "core/hand_off.h"
#include "history/history_store.h"

namespace lantervo::history {

// What the log should hear about.
struct HistoryNote {
  enum class Kind {
    Damaged,       // the file was damaged; `detail` is where it was moved
    CannotWrite,   // runs are not being recorded; `detail` is the database's reason
    WritingAgain,  // after CannotWrite, a run was recorded again
  };
  Kind kind;
  std::string detail;
};

struct HistoryRecorderOptions {
  std::string path;
  HistoryLimits limits;
  std::function<std::int64_t()> now;  // UTC milliseconds; the system clock when empty
  // Runs on the user-interface thread, through the hand-off queue.
  std::function<void(const HistoryNote&)> note;
  std::shared_ptr<HandOffQueue> handOffs;
  // Hourly figures and pruning at most this often.
  std::int64_t maintenanceEveryMs = kHourMs;
};

class HistoryRecorder {
 public:
  explicit HistoryRecorder(HistoryRecorderOptions options);
  ~HistoryRecorder();  // Stop()
  HistoryRecorder(const HistoryRecorder&) = delete;
  HistoryRecorder& operator=(const HistoryRecorder&) = delete;

  // Any thread; returns at once.
  void Submit(RunRecord run);
  // Any thread; returns at once. `job` runs on the recorder's thread after what was handed over
  // before, with the store (null when the file cannot be opened): the report and the export
  // read there, beside the writes and never in their way.
  void Request(std::function<void(HistoryStore* store)> job);
  // User-interface thread: waits until everything handed over is written (or given up on),
  // carrying out hand-offs meanwhile.
  void Flush();
  // User-interface thread: writes what is queued, skips pending upkeep and ends the thread.
  // A write still waits for the database at most its busy time-out.
  void Stop();

  // Where a damaged file goes: "<path>.damaged-YYYYMMDD-HHMMSS" (UTC).
  static std::string DamagedName(const std::string& path, std::int64_t utcMs);

 private:
  void Body();
  void Write(const RunRecord& run);
  bool Open();
  void MoveAside();
  void Maintain();
  void Problem(const std::string& reason);
  void Note(HistoryNote note);
  bool StopAsked();

  HistoryRecorderOptions options_;
  std::unique_ptr<HistoryStore> store_;
  std::string lastProblem_;  // empty while runs are recorded
  std::int64_t lastMaintenance_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;
  struct Job {
    RunRecord run;
    std::function<void(HistoryStore*)> read;  // set for a reading job
  };
  std::deque<Job> queue_;
  bool stop_ = false;
  // Runs handed over and runs written (or given up on), changed through the hand-off queue's
  // Notify, for Flush.
  std::uint64_t submitted_ = 0;
  std::uint64_t done_ = 0;
  WorkerThread thread_;
};

}  // namespace lantervo::history
