#include "history/history_recorder.h"

#include "history/sqlite.h"
#include "history/utc_time.h"
#include "platform/file.h"

namespace lantervo::history {

std::string HistoryRecorder::DamagedName(const std::string& path, std::int64_t utcMs) {
  return path + ".damaged-" + CompactUtc(utcMs);
}

HistoryRecorder::HistoryRecorder(HistoryRecorderOptions options)
    : options_(std::move(options)), thread_(options_.handOffs, [this] { Body(); }) {
  if (!options_.now) options_.now = UtcNowMs;
  thread_.Start();
}

HistoryRecorder::~HistoryRecorder() {
  Stop();
}

void HistoryRecorder::Submit(RunRecord run) {
  options_.handOffs->Notify([this] { ++submitted_; });
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({std::move(run), {}});
  }
  wake_.notify_one();
}

void HistoryRecorder::Request(std::function<void(HistoryStore* store)> job) {
  options_.handOffs->Notify([this] { ++submitted_; });
  {
    std::lock_guard lock(mutex_);
    queue_.push_back({{}, std::move(job)});
  }
  wake_.notify_one();
}

void HistoryRecorder::Flush() {
  std::uint64_t target = 0;
  options_.handOffs->WithLock([&] { target = submitted_; });
  options_.handOffs->WaitUntil([&] { return done_ >= target; });
}

void HistoryRecorder::Stop() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.WaitFor();
}

bool HistoryRecorder::StopAsked() {
  std::lock_guard lock(mutex_);
  return stop_;
}

void HistoryRecorder::Body() {
  Open();
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || !queue_.empty(); });
      if (queue_.empty()) break;  // stopping, and everything is written
      job = std::move(queue_.front());
      queue_.pop_front();
    }
    if (job.read) {
      // A report asked for just before Quit is not worth holding Quit for.
      if (StopAsked()) {
        options_.handOffs->Notify([this] { ++done_; });
        continue;
      }
      try {
        job.read(Open() ? store_.get() : nullptr);
      } catch (...) {
        // A reading job reports its own failures; one that throws must not end the recording.
      }
    } else {
      Write(job.run);
    }
    options_.handOffs->Notify([this] { ++done_; });
    if (!StopAsked()) Maintain();
  }
  store_.reset();
}

bool HistoryRecorder::Open() {
  if (store_) return true;
  try {
    store_ = std::make_unique<HistoryStore>(options_.path, options_.limits);
    return true;
  } catch (const SqliteError& e) {
    if (e.GetKind() == SqliteError::Kind::Corrupt) {
      MoveAside();
      try {
        store_ = std::make_unique<HistoryStore>(options_.path, options_.limits);
        return true;
      } catch (const std::exception& again) {
        Problem(again.what());
        return false;
      }
    }
    Problem(e.what());
  } catch (const std::exception& e) {
    Problem(e.what());
  }
  return false;
}

void HistoryRecorder::MoveAside() {
  store_.reset();
  const std::string damaged = DamagedName(options_.path, options_.now());
  const platform::FileResult moved = platform::RenameFile(options_.path, damaged);
  if (!moved.ok) {
    // Nothing is destroyed: the file stays, and runs go unrecorded until it can be moved.
    Problem(moved.message);
    return;
  }
  // The journal files belong to the damaged database, not to a new one.
  for (const char* suffix : {"-wal", "-shm"})
    if (platform::FileExists(options_.path + suffix))
      platform::RenameFile(options_.path + suffix, damaged + suffix);
  Note({HistoryNote::Kind::Damaged, damaged});
}

void HistoryRecorder::Write(const RunRecord& run) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!Open()) return;
    try {
      store_->Record(run);
      if (!lastProblem_.empty()) {
        lastProblem_.clear();
        Note({HistoryNote::Kind::WritingAgain, {}});
      }
      return;
    } catch (const SqliteError& e) {
      if (e.GetKind() == SqliteError::Kind::Corrupt && attempt == 0) {
        MoveAside();
        continue;  // the run goes into the new file
      }
      // A file that cannot be written now may be writable later: it is opened anew then.
      if (e.GetKind() != SqliteError::Kind::Busy) store_.reset();
      Problem(e.what());
      return;
    } catch (const std::exception& e) {
      store_.reset();
      Problem(e.what());
      return;
    }
  }
}

void HistoryRecorder::Maintain() {
  const std::int64_t now = options_.now();
  if (!store_ || (lastMaintenance_ && now - lastMaintenance_ < options_.maintenanceEveryMs)) return;
  lastMaintenance_ = now;
  try {
    store_->RollUp(now, [this] { return StopAsked(); });
    store_->Prune(now, [this] { return StopAsked(); });
  } catch (const SqliteError& e) {
    if (e.GetKind() == SqliteError::Kind::Corrupt) {
      MoveAside();
      return;
    }
    Problem(e.what());
  } catch (const std::exception& e) {
    Problem(e.what());
  }
}

void HistoryRecorder::Problem(const std::string& reason) {
  // One line a problem, not one a run.
  if (reason == lastProblem_) return;
  lastProblem_ = reason;
  Note({HistoryNote::Kind::CannotWrite, reason});
}

void HistoryRecorder::Note(HistoryNote note) {
  if (!options_.note) return;
  try {
    options_.handOffs->Synchronize([&] { options_.note(note); });
  } catch (...) {
    // The queue is closed (the program is ending): the note has nowhere to go.
  }
}

}  // namespace lantervo::history
