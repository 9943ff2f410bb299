#pragma once
// The hand-off from worker threads to the user-interface thread. A worker calls Synchronize and
// blocks until the user-interface thread has run the operation; what the operation throws is
// thrown again in the worker. The user-interface thread runs queued operations from its loop,
// inside message boxes and while it waits for a worker to end.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace lantervo {

class HandOffQueue {
 public:
  HandOffQueue();  // the creating thread is the user-interface thread
  HandOffQueue(const HandOffQueue&) = delete;
  HandOffQueue& operator=(const HandOffQueue&) = delete;
  ~HandOffQueue();

  // For a front end that creates the queue before its user-interface thread runs.
  void BindToCurrentThread();
  bool OnUserInterfaceThread() const;

  // Called after an operation was queued, on the worker's thread: a front end wakes its
  // message loop here (posts itself a message). Set it before workers start.
  void SetWakeUp(std::function<void()> wakeUp);

  // Any thread. On the user-interface thread the operation runs at once.
  void Synchronize(const std::function<void()>& operation);

  // User-interface thread: runs what is queued now; answers how many ran.
  int Drain();
  // User-interface thread: waits until something is queued or done() holds (checked under the
  // queue's lock, so change its inputs through Notify), running queued operations meanwhile.
  void WaitUntil(const std::function<bool()>& done);
  // Any thread: changes the inputs of a WaitUntil condition under the lock and wakes the waiter.
  void Notify(const std::function<void()>& change);
  // Any thread: reads such inputs under the lock.
  void WithLock(const std::function<void()>& read) const;

  // Ends the queue: waiting and later Synchronize calls fail with Error instead of blocking
  // forever (a worker abandoned at exit).
  void Close();

 private:
  struct Task {
    std::function<void()> operation;
    std::exception_ptr error;
    bool done = false;
  };
  void Run(Task& task);

  mutable std::mutex mutex_;
  std::condition_variable uiWake_;
  std::condition_variable workerWake_;
  std::deque<std::shared_ptr<Task>> queue_;
  std::atomic<std::thread::id> uiThread_;
  std::function<void()> wakeUp_;
  bool closed_ = false;
};

// A worker thread created suspended, like the system's workers: Start runs the body once.
// Waiting for it on the user-interface thread carries out its hand-offs meanwhile.
class WorkerThread {
 public:
  WorkerThread(std::shared_ptr<HandOffQueue> handOffs, std::function<void()> body);
  WorkerThread(const WorkerThread&) = delete;
  WorkerThread& operator=(const WorkerThread&) = delete;
  // Waits for the thread unless it was abandoned.
  ~WorkerThread();

  void Start();
  bool Started() const { return thread_.joinable() || detached_; }
  bool Finished() const;
  // Waits until the body has ended; on the user-interface thread it keeps running hand-offs.
  void WaitFor();
  // Leaves a running thread to itself (the update check at exit).
  void Abandon();
  // What escaped the body, if anything.
  std::exception_ptr FatalException() const;

 private:
  struct State {
    bool finished = false;
    std::exception_ptr fatal;
  };
  std::shared_ptr<HandOffQueue> handOffs_;
  std::function<void()> body_;
  std::shared_ptr<State> state_;
  std::thread thread_;
  bool detached_ = false;
};

}  // namespace lantervo
