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

CookieStore::CookieStore(Clock now) : now_(now ? std::move(now) : Clock(SystemNow)) {}

void CookieStore::StoreFrom(const HttpHeaders& headers, const std::string& requestHost) {
  for (const HttpHeaders::Field& field : headers.Fields()) {
    if (EqualsIgnoreCase(field.first, "Set-cookie") ||
        EqualsIgnoreCase(field.first, "Set-cookie2")) {
      Store(field.second, requestHost);
    }
  }
}

void CookieStore::Store(std::string_view setCookie, const std::string& requestHost) {
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
  auto same = std::find_if(cookies_.begin(), cookies_.end(), [&cookie](const Cookie& c) {
    return c.name == cookie.name && EqualsIgnoreCase(c.domain, cookie.domain);
  });
  if (same != cookies_.end()) {
    *same = std::move(cookie);
  } else {
    cookies_.push_back(std::move(cookie));
  }
}

void CookieStore::RemoveExpired() {
  const std::int64_t now = now_();
  std::erase_if(cookies_, [now](const Cookie& c) { return c.expires && *c.expires <= now; });
}

std::string CookieStore::CookieHeader(const std::string& host, const std::string& path) const {
  const std::string_view directory = std::string_view(path).substr(0, path.rfind('/') + 1);
  std::string header;
  for (const Cookie& c : cookies_) {
    if (c.secure || c.value.empty() || !DomainMatches(c.domain, host)) continue;
    if (directory.compare(0, c.path.size(), c.path) != 0) continue;
    if (!header.empty()) header += "; ";
    header += c.name;
    header += '=';
    header += c.value;
  }
  return header;
}

}  // namespace lantervo
