#pragma once
// HTTP client options for tests against loopback servers: a stalled server is given up on
// within seconds, and the client waits for no leftover or redirect body longer than it must.
#include "monitor/http_options.h"

namespace lantervo::test {

inline HttpClientOptions QuickHttpOptions() {
  HttpClientOptions options;
  options.readTimeoutMs = 5000;
  options.redirectBodyWaitMs = 100;
  options.leftoverWaitMs = 0;
  return options;
}

}  // namespace lantervo::test
