#pragma once
// What several benchmarks check against: one loopback HTTP server that answers every path with
// the same small status page, made on first use; and the process's CPU time.
#include <time.h>

#include "tests/support/http_test_server.h"

namespace lantervo::bench {

inline test::HttpTestServer& LoopbackSite() {
  static test::HttpTestServer server;
  static bool answering = [] {
    server.AnswerAlways(
        test::HttpTestServer::Ok("<html><body>Service status: operational.</body></html>"));
    return true;
  }();
  (void)answering;
  return server;
}

inline double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

}  // namespace lantervo::bench
