#pragma once
// The waits and limits of an HttpClient. The defaults are the client's fixed profile; tests
// shorten them to run the same code path quickly.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "monitor/http_limits.h"

namespace lantervo {

namespace platform {
class Resolver;
class ProxySource;
}  // namespace platform
class Connector;

struct HttpClientOptions {
  int connectTimeoutMs = 120000;
  int connectPollMs = 125;
  // No byte for this long fails the call with "Read timed out.".
  int readTimeoutMs = 30000;
  // All waits for bytes of one Get or Post, redirects included, share this; connecting does not
  // use it up. Running out fails the call with "Read timed out.".
  int callDeadlineMs = 60000;
  // How long a redirect answer's body may take to begin before it is skipped.
  int redirectBodyWaitMs = 5000;
  // What arrives within this wait after an answer that has no body is read and dropped.
  int leftoverWaitMs = 100;
  // A body above this fails the call with "Response too large.".
  std::size_t maxBodyBytes = std::size_t{16} << 20;
  // The caps on heads and cookies.
  HttpLimits limits;
  // Whether https URLs, given or by redirect, are fetched over TLS. When off they fail with
  // "IOHandler value is not valid", as without a TLS layer.
  bool httpsEnabled = false;
  // PEM certificates that are then the only trusted roots for TLS (tests bring their own CA);
  // the system's trust store when empty. Never added to the system's store.
  std::string tlsTrustAnchors;
  // Where requests go through a proxy (the ProxyEnabled setting): the source of the proxies for
  // each URL, and how long its answer may take. Direct connections when null.
  std::shared_ptr<platform::ProxySource> proxies;
  int proxyLookupMs = 10000;
  // The system resolver when null.
  platform::Resolver* resolver = nullptr;
  // TCP sockets when null.
  std::shared_ptr<Connector> connector;
  // Seconds since 1970 (UTC), for cookie expiry; the system clock when empty.
  std::function<std::int64_t()> now;
};

}  // namespace lantervo
