// Background threads yield to the others; the process and its other threads keep their priority.
#include <gtest/gtest.h>

#include <thread>

#include "platform/thread_priority.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace lantervo::platform {
namespace {

int ThisThreadPriority() {
#ifdef _WIN32
  return GetThreadPriority(GetCurrentThread());
#else
  return -getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));  // higher runs first
#endif
}

TEST(ThreadPriority, OnlyTheCallingThreadGoesToTheBackground) {
  const int before = ThisThreadPriority();
  int inside = before;
  std::thread([&] {
    RunThisThreadInBackground();
    inside = ThisThreadPriority();
  }).join();
  EXPECT_LT(inside, before);
  EXPECT_EQ(ThisThreadPriority(), before);
  int next = 0;
  std::thread([&] { next = ThisThreadPriority(); }).join();
  EXPECT_EQ(next, before) << "a new thread starts at the process's priority";
}

}  // namespace
}  // namespace lantervo::platform
