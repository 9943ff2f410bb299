#include "core/hand_off.h"

#include "platform/error.h"

namespace lantervo {

namespace {
const char* const kClosedMessage = "The user interface has ended";
}

HandOffQueue::HandOffQueue() : uiThread_(std::this_thread::get_id()) {}

HandOffQueue::~HandOffQueue() {
  Close();
}

void HandOffQueue::BindToCurrentThread() {
  uiThread_ = std::this_thread::get_id();
}

bool HandOffQueue::OnUserInterfaceThread() const {
  return uiThread_.load() == std::this_thread::get_id();
}

void HandOffQueue::SetWakeUp(std::function<void()> wakeUp) {
  std::lock_guard lock(mutex_);
  wakeUp_ = std::move(wakeUp);
}

void HandOffQueue::Synchronize(const std::function<void()>& operation) {
  if (OnUserInterfaceThread()) {
    operation();
    return;
  }
  auto task = std::make_shared<Task>();
  task->operation = operation;
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(mutex_);
    if (closed_) throw Error(kClosedMessage);
    queue_.push_back(task);
    wakeUp = wakeUp_;
  }
  uiWake_.notify_all();
  if (wakeUp) wakeUp();
  std::exception_ptr error;
  {
    std::unique_lock lock(mutex_);
    workerWake_.wait(lock, [&] { return task->done; });
    // The error leaves the task here, so the exception is released on this thread, which
    // also reads it.
    error = std::move(task->error);
  }
  if (error) std::rethrow_exception(std::move(error));
}

void HandOffQueue::Run(Task& task) {
  std::exception_ptr error;
  try {
    task.operation();
  } catch (...) {
    error = std::current_exception();
  }
  {
    std::lock_guard lock(mutex_);
    task.error = std::move(error);
    task.done = true;
  }
  workerWake_.notify_all();
}

int HandOffQueue::Drain() {
  int ran = 0;
  for (;;) {
    std::shared_ptr<Task> task;
    {
      std::lock_guard lock(mutex_);
      if (queue_.empty()) return ran;
      task = std::move(queue_.front());
      queue_.pop_front();
    }
    Run(*task);
    ++ran;
  }
}

void HandOffQueue::WaitUntil(const std::function<bool()>& done) {
  for (;;) {
    Drain();
    std::unique_lock lock(mutex_);
    uiWake_.wait(lock, [&] { return !queue_.empty() || done() || closed_; });
    if (queue_.empty() && (done() || closed_)) return;
  }
}

void HandOffQueue::Notify(const std::function<void()>& change) {
  std::function<void()> wakeUp;
  {
    std::lock_guard lock(mutex_);
    change();
    wakeUp = wakeUp_;
  }
  uiWake_.notify_all();
  if (wakeUp) wakeUp();
}

void HandOffQueue::WithLock(const std::function<void()>& read) const {
  std::lock_guard lock(mutex_);
  read();
}

void HandOffQueue::Close() {
  std::deque<std::shared_ptr<Task>> abandoned;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    // A worker left running (the update check) must not wake a front end that has gone.
    wakeUp_ = nullptr;
    abandoned.swap(queue_);
    for (auto& task : abandoned) {
      task->error = std::make_exception_ptr(Error(kClosedMessage));
      task->done = true;
    }
  }
  workerWake_.notify_all();
  uiWake_.notify_all();
}

WorkerThread::WorkerThread(std::shared_ptr<HandOffQueue> handOffs, std::function<void()> body)
    : handOffs_(std::move(handOffs)), body_(std::move(body)), state_(std::make_shared<State>()) {}

WorkerThread::~WorkerThread() {
  if (thread_.joinable()) WaitFor();
}

void WorkerThread::Start() {
  if (Started()) return;
  thread_ = std::thread([handOffs = handOffs_, state = state_, body = std::move(body_)] {
    std::exception_ptr fatal;
    try {
      body();
    } catch (...) {
      fatal = std::current_exception();
    }
    handOffs->Notify([&] {
      state->fatal = std::move(fatal);
      state->finished = true;
    });
  });
}

bool WorkerThread::Finished() const {
  bool finished = false;
  handOffs_->WithLock([&] { finished = state_->finished; });
  return finished;
}

void WorkerThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (handOffs_->OnUserInterfaceThread()) handOffs_->WaitUntil([this] { return state_->finished; });
  thread_.join();
}

void WorkerThread::Abandon() {
  if (!thread_.joinable()) return;
  thread_.detach();
  detached_ = true;
}

std::exception_ptr WorkerThread::FatalException() const {
  std::exception_ptr fatal;
  handOffs_->WithLock([&] { fatal = state_->fatal; });
  return fatal;
}

}  // namespace lantervo
