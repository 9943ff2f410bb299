#pragma once
// The in-memory cookie store of one HttpClient (or of the clients of a run's lanes, which share
// it: every operation takes its lock): cookies from every response, sent back to matching hosts
// and paths for as long as the client lives. Nothing is written to disk.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/http_headers.h"
#include "monitor/http_limits.h"

namespace lantervo {

struct Cookie {
  std::string domain;
  std::string path;
  std::string name;
  std::string value;
  std::optional<std::int64_t> expires;  // seconds since 1970 (UTC); none lives with the client
  bool secure = false;
};

// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT",
// "Sun Nov  6 08:49:37 1994") as seconds since 1970 (UTC).
std::optional<std::int64_t> ParseHttpDate(std::string_view text);

// Domain match: an IP host must equal the domain; a domain beginning with "." matches every
// host ending with it; any other domain only the same host. Letter case is ignored.
bool DomainMatches(std::string_view domain, std::string_view host);

// Kept in store order (a replaced cookie keeps its place) and found by domain and name. Caps
// keep a server that sets endless cookies from growing the store: past them the oldest stored
// cookie of the domain, or of the store, gives way.
class CookieStore {
 public:
  using Clock = std::function<std::int64_t()>;
  // `now` gives seconds since 1970 (UTC); the system clock when empty. The caps are those of
  // `limits` (cookies, cookiesPerDomain, cookieBytes, cookieHeaderBytes).
  explicit CookieStore(Clock now = {}, HttpLimits limits = {});

  // Stores the "Set-cookie" and "Set-cookie2" headers of a response to `requestHost`.
  void StoreFrom(const HttpHeaders& headers, const std::string& requestHost);
  void Store(std::string_view setCookie, const std::string& requestHost);
  // Removes cookies whose expiry has passed; called before every request.
  void RemoveExpired();
  // The "Cookie" value for a request: every matching cookie as name=value joined with "; ", in
  // store order; empty when none matches. `path` is the resolved request path. Secure cookies
  // go only on a `secure` (https) request.
  std::string CookieHeader(const std::string& host, const std::string& path,
                           bool secure = false) const;

  // Every stored cookie, in store order.
  std::vector<Cookie> Cookies() const;
  std::size_t Size() const {
    std::lock_guard lock(mutex_);
    return byOrder_.size();
  }

 private:
  // The cookies of one domain (lower-cased): name to store order.
  struct Domain {
    std::map<std::string, std::uint64_t> byName;
    std::map<std::uint64_t, std::string> oldestFirst;  // store order to name
  };
  void Put(Cookie cookie);
  void Erase(std::uint64_t order);

  mutable std::recursive_mutex mutex_;
  Clock now_;
  HttpLimits limits_;
  std::uint64_t nextOrder_ = 0;
  std::map<std::uint64_t, Cookie> byOrder_;
  std::map<std::string, Domain> domains_;
};

}  // namespace lantervo
