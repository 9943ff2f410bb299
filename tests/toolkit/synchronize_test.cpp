// The hand-off from workers to the user-interface thread, with real threads. Run under
// ThreadSanitizer as well.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "monitor/http_error.h"
#include "toolkit/headless_desktop.h"

namespace lantervo {
namespace {

TEST(Synchronize, TheOperationRunsOnTheUserInterfaceThreadWhileTheWorkerWaits) {
  HeadlessDesktop desktop;
  const auto uiThread = std::this_thread::get_id();
  std::vector<int> log;  // touched on the user-interface thread only
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    for (int i = 0; i < 50; ++i) {
      int answer = 0;
      desktop.Synchronize([&] {
        EXPECT_EQ(std::this_thread::get_id(), uiThread);
        log.push_back(i);
        answer = i * 2;
      });
      // The result is there when Synchronize returns.
      if (answer != i * 2) throw Error("lost result");
    }
  });
  worker.Start();
  desktop.WaitForThread(worker);
  EXPECT_TRUE(worker.Finished());
  EXPECT_EQ(worker.FatalException(), nullptr);
  ASSERT_EQ(log.size(), 50u);
  EXPECT_EQ(log.back(), 49);
}

TEST(Synchronize, WhatTheOperationThrowsIsThrownAgainInTheWorker) {
  HeadlessDesktop desktop;
  std::string caught;  // written by the worker, read after it ended
  bool typed = false;
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    try {
      desktop.Synchronize([] { throw HttpError("HTTP/1.1 404 Not Found", 404); });
    } catch (const HttpError& e) {
      caught = e.what();
      typed = e.StatusCode() == 404;
    }
    desktop.Synchronize([] { throw std::runtime_error("second"); });
  });
  worker.Start();
  desktop.WaitForThread(worker);
  EXPECT_EQ(caught, "HTTP/1.1 404 Not Found");
  EXPECT_TRUE(typed);
  ASSERT_NE(worker.FatalException(), nullptr);
  EXPECT_THROW(std::rethrow_exception(worker.FatalException()), std::runtime_error);
}

TEST(Synchronize, OnTheUserInterfaceThreadItRunsAtOnce) {
  HeadlessDesktop desktop;
  bool ran = false;
  desktop.Synchronize([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_THROW(desktop.Synchronize([] { throw Error("direct"); }), Error);
}

TEST(Synchronize, AnOpenMessageBoxKeepsCarryingOutHandOffs) {
  HeadlessDesktop desktop;
  int handedOff = 0;  // user-interface thread only
  desktop.ScriptAnswer(MessageBoxAnswer::Yes, [&] { return handedOff == 3; });
  WorkerThread worker(desktop.SharedHandOffs(), [&] {
    for (int i = 0; i < 3; ++i) desktop.Synchronize([&] { ++handedOff; });
  });
  worker.Start();
  // Without the box carrying them out, the worker would wait for ever.
  EXPECT_EQ(desktop.ShowMessageBox(nullptr, "Question", "Sure?", MessageBoxIcon::Question,
                                   MessageBoxButtons::YesNo),
            MessageBoxAnswer::Yes);
  EXPECT_EQ(handedOff, 3);
  worker.WaitFor();
}

TEST(Synchronize, TheLoopCarriesOutHandOffsUntilQuit) {
  HeadlessDesktop desktop;
  std::vector<int> order;
  WorkerThread first(desktop.SharedHandOffs(),
                     [&] { desktop.Synchronize([&] { order.push_back(1); }); });
  WorkerThread second(desktop.SharedHandOffs(), [&] {
    first.WaitFor();  // off the user-interface thread this only joins
    desktop.Synchronize([&] {
      order.push_back(2);
      desktop.Quit();
    });
  });
  first.Start();
  second.Start();
  desktop.Run();
  second.WaitFor();
  EXPECT_THAT(order, ::testing::ElementsAre(1, 2));
  EXPECT_TRUE(desktop.QuitRequested());
}

TEST(Synchronize, ManyWorkersAtOnceAreServedOneOperationAtATime) {
  HeadlessDesktop desktop;
  int counter = 0;  // no lock: only the user-interface thread touches it
  std::vector<std::unique_ptr<WorkerThread>> workers;
  for (int w = 0; w < 4; ++w) {
    workers.push_back(std::make_unique<WorkerThread>(desktop.SharedHandOffs(), [&] {
      for (int i = 0; i < 100; ++i) desktop.Synchronize([&] { ++counter; });
    }));
    workers.back()->Start();
  }
  for (auto& w : workers) desktop.WaitForThread(*w);
  EXPECT_EQ(counter, 400);
}

TEST(Synchronize, AClosedQueueFailsWaitingAndLaterHandOffsInsteadOfBlocking) {
  auto queue = std::make_shared<HandOffQueue>();
  std::atomic<int> failures{0};
  std::promise<void> queued;
  std::atomic<bool> woken{false};
  queue->SetWakeUp([&] {
    if (!woken.exchange(true)) queued.set_value();
  });
  WorkerThread worker(queue, [&] {
    for (int i = 0; i < 2; ++i) {
      try {
        queue->Synchronize([] { ADD_FAILURE() << "ran after the queue ended"; });
      } catch (const Error&) {
        ++failures;
      }
    }
  });
  worker.Start();
  queued.get_future().wait();
  queue->Close();
  worker.WaitFor();
  EXPECT_EQ(failures, 2);
}

TEST(Synchronize, AnAbandonedWorkerIsNotWaitedFor) {
  auto queue = std::make_shared<HandOffQueue>();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  // The body outlives this test's frame, so what it touches is shared.
  auto finished = std::make_shared<std::atomic<bool>>(false);
  auto worker = std::make_unique<WorkerThread>(queue, [released, finished] {
    released.wait();
    *finished = true;
  });
  worker->Start();
  worker->Abandon();
  // Destroyed on a helper thread, so a destructor that waits fails the test instead of hanging it.
  auto destroyed = std::async(std::launch::async, [&worker] { worker.reset(); });
  const bool returned = destroyed.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  EXPECT_TRUE(returned) << "destroying an abandoned worker waited for its body";
  EXPECT_FALSE(*finished) << "the body ended before it was released";
  release.set_value();
  destroyed.wait();
}

}  // namespace
}  // namespace lantervo
