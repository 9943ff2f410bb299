#include "monitor/cookie_store.h"

#include <algorithm>
#include <chrono>

#include "monitor/ascii.h"

namespace lantervo {

namespace {

std::int64_t SystemNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() &&
         EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

std::string_view Unquoted(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

bool DomainMatches(std::string_view domain, std::string_view host) {
  if (IsIpHost(host)) return domain == host;
  if (!domain.empty() && domain.front() == '.') return EndsWithIgnoreCase(host, domain);
  return EqualsIgnoreCase(domain, host);
}

CookieStore::CookieStore(Clock now, HttpLimits limits)
    : now_(now ? std::move(now) : Clock(SystemNow)), limits_(limits) {}

void CookieStore::StoreFrom(const HttpHeaders& headers, const std::string& requestHost) {
  std::lock_guard lock(mutex_);
  for (const HttpHeaders::Field& field : headers.Fields()) {
    if (EqualsIgnoreCase(field.first, "Set-cookie") ||
        EqualsIgnoreCase(field.first, "Set-cookie2")) {
      Store(field.second, requestHost);
    }
  }
}

void CookieStore::Store(std::string_view setCookie, const std::string& requestHost) {
  std::lock_guard lock(mutex_);
  std::vector<std::string_view> pieces;
  for (std::size_t start = 0;;) {
    std::size_t semicolon = setCookie.find(';', start);
    pieces.push_back(TrimBlanks(setCookie.substr(
        start, semicolon == std::string_view::npos ? semicolon : semicolon - start)));
    if (semicolon == std::string_view::npos) break;
    start = semicolon + 1;
  }
  std::size_t eq = pieces[0].find('=');
  if (eq == std::string_view::npos) return;
  Cookie cookie;
  cookie.name = std::string(TrimBlanks(pieces[0].substr(0, eq)));
  cookie.value = std::string(TrimBlanks(pieces[0].substr(eq + 1)));
  if (cookie.name.empty()) return;
  std::optional<std::int64_t> maxAge;
  for (std::size_t i = 1; i < pieces.size(); ++i) {
    std::size_t at = pieces[i].find('=');
    std::string_view name = TrimBlanks(pieces[i].substr(0, at));
    std::string_view value =
        at == std::string_view::npos ? std::string_view() : TrimBlanks(pieces[i].substr(at + 1));
    if (EqualsIgnoreCase(name, "PATH")) {
      cookie.path = std::string(Unquoted(value));
    } else if (EqualsIgnoreCase(name, "DOMAIN")) {
      cookie.domain = std::string(value);
    } else if (EqualsIgnoreCase(name, "EXPIRES")) {
      cookie.expires = ParseHttpDate(value);
    } else if (EqualsIgnoreCase(name, "MAX-AGE")) {
      if (std::optional<std::int32_t> seconds = ParseDecimalInt32(value)) maxAge = *seconds;
    } else if (EqualsIgnoreCase(name, "SECURE")) {
      cookie.secure = true;
    }
  }
  if (cookie.path.empty()) cookie.path.push_back('/');
  if (cookie.domain.empty()) cookie.domain = requestHost;
  if (!cookie.expires && maxAge) cookie.expires = now_() + *maxAge;
  if (!DomainMatches(cookie.domain, requestHost)) return;
  if (cookie.name.size() + cookie.value.size() > limits_.cookieBytes) return;
  Put(std::move(cookie));
}

void CookieStore::Put(Cookie cookie) {
  Domain& domain = domains_[Lower(cookie.domain)];
  auto same = domain.byName.find(cookie.name);
  if (same != domain.byName.end()) {
    byOrder_[same->second] = std::move(cookie);
    return;
  }
  if (domain.byName.size() >= limits_.cookiesPerDomain) Erase(domain.oldestFirst.begin()->first);
  if (byOrder_.size() >= limits_.cookies) Erase(byOrder_.begin()->first);
  const std::uint64_t order = nextOrder_++;
  // The overall eviction may have taken this domain's last cookie and its entry with it.
  Domain& home = domains_[Lower(cookie.domain)];
  home.byName.emplace(cookie.name, order);
  home.oldestFirst.emplace(order, cookie.name);
  byOrder_.emplace(order, std::move(cookie));
}

void CookieStore::Erase(std::uint64_t order) {
  auto it = byOrder_.find(order);
  if (it == byOrder_.end()) return;
  auto domain = domains_.find(Lower(it->second.domain));
  if (domain != domains_.end()) {
    domain->second.byName.erase(it->second.name);
    domain->second.oldestFirst.erase(order);
    if (domain->second.byName.empty()) domains_.erase(domain);
  }
  byOrder_.erase(it);
}

void CookieStore::RemoveExpired() {
  std::lock_guard lock(mutex_);
  const std::int64_t now = now_();
  std::vector<std::uint64_t> expired;
  for (const auto& [order, c] : byOrder_) {
    if (c.expires && *c.expires <= now) expired.push_back(order);
  }
  for (std::uint64_t order : expired) Erase(order);
}

std::string CookieStore::CookieHeader(const std::string& host, const std::string& path,
                                      bool secure) const {
  std::lock_guard lock(mutex_);
  // Only the host itself and the parts of it from each "." on can be matching domains.
  const std::string lowerHost = Lower(host);
  std::vector<std::uint64_t> orders;
  for (std::size_t at = 0; at != std::string::npos; at = lowerHost.find('.', at + 1)) {
    auto domain = domains_.find(lowerHost.substr(at));
    if (domain == domains_.end()) continue;
    for (const auto& [name, order] : domain->second.byName) orders.push_back(order);
  }
  std::sort(orders.begin(), orders.end());

  const std::string_view directory = std::string_view(path).substr(0, path.rfind('/') + 1);
  std::string header;
  for (std::uint64_t order : orders) {
    const Cookie& c = byOrder_.at(order);
    if ((c.secure && !secure) || c.value.empty() || !DomainMatches(c.domain, host)) continue;
    if (directory.compare(0, c.path.size(), c.path) != 0) continue;
    const std::size_t pairBytes = (header.empty() ? 0 : 2) + c.name.size() + 1 + c.value.size();
    if (header.size() + pairBytes > limits_.cookieHeaderBytes) break;
    if (!header.empty()) header += "; ";
    header += c.name;
    header += '=';
    header += c.value;
  }
  return header;
}

std::vector<Cookie> CookieStore::Cookies() const {
  std::lock_guard lock(mutex_);
  std::vector<Cookie> cookies;
  cookies.reserve(byOrder_.size());
  for (const auto& [order, c] : byOrder_) cookies.push_back(c);
  return cookies;
}

}  // namespace lantervo
