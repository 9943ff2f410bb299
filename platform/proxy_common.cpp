#include "platform/proxy.h"

#include <cctype>

namespace lantervo::platform {

namespace {

char Lower(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Splits at any of `separators`, dropping empty pieces.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find_first_of(separators, start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view piece = Trim(text.substr(start, end - start));
    if (!piece.empty()) pieces.push_back(piece);
    start = end + 1;
  }
  return pieces;
}

bool IsLoopback(std::string_view host) {
  if (EqualsIgnoreCase(host, "localhost")) return true;
  if (host == "[::1]" || host == "::1") return true;
  return host.substr(0, 4) == "127.";
}

}  // namespace

bool BypassPatternMatches(std::string_view pattern, std::string_view host) {
  // Iterative wildcard match with one remembered star: linear enough for host names.
  std::size_t p = 0, h = 0, star = std::string_view::npos, resume = 0;
  while (h < host.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = h;
    } else if (p < pattern.size() && Lower(pattern[p]) == Lower(host[h])) {
      ++p;
      ++h;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      h = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::vector<std::string> ManualProxiesFor(std::string_view scheme, std::string_view host,
                                          std::string_view proxyList, std::string_view bypassList) {
  const std::vector<std::string> direct{"direct://"};
  bool loopbackThroughProxy = false;
  for (std::string_view pattern : Split(bypassList, ";")) {
    if (EqualsIgnoreCase(pattern, "<-loopback>")) {
      loopbackThroughProxy = true;
      continue;
    }
    if (EqualsIgnoreCase(pattern, "<local>")) {
      if (host.find('.') == std::string_view::npos && host.find(':') == std::string_view::npos)
        return direct;
      continue;
    }
    // A pattern may name the scheme too ("http://*.corp"); it then applies to that scheme.
    if (const std::size_t at = pattern.find("://"); at != std::string_view::npos) {
      if (!EqualsIgnoreCase(pattern.substr(0, at), scheme)) continue;
      pattern.remove_prefix(at + 3);
    }
    if (BypassPatternMatches(pattern, host)) return direct;
  }
  if (!loopbackThroughProxy && IsLoopback(host)) return direct;

  std::string chosen;
  for (std::string_view entry : Split(proxyList, "; \t")) {
    const std::size_t equals = entry.find('=');
    if (equals == std::string_view::npos) {
      // A proxy for every scheme, unless one for this scheme comes first.
      if (chosen.empty()) chosen = entry;
      continue;
    }
    if (EqualsIgnoreCase(entry.substr(0, equals), scheme)) {
      chosen = entry.substr(equals + 1);
      break;
    }
  }
  if (chosen.empty()) return direct;
  // An entry may carry its own scheme ("http://proxy:8080"); a bare one is an http proxy.
  if (chosen.find("://") == std::string::npos) chosen = "http://" + chosen;
  return {chosen};
}

}  // namespace lantervo::platform
