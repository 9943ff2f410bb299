#include "monitor/url.h"

#include <algorithm>

#include "monitor/ascii.h"
#include "monitor/http_error.h"

namespace lantervo {

namespace {

bool IsSchemeChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '+' ||
         c == '-' || c == '.';
}

// The URL as written, split into its parts; nothing filled in from a base yet.
struct Parts {
  bool hasScheme = false;
  bool hasAuthority = false;
  bool hasCredentials = false;
  std::string scheme, user, password, host, portText, path, query;
};

Parts Split(std::string text) {
  Parts parts;
  std::replace(text.begin(), text.end(), '\\', '/');
  if (std::size_t hash = text.find('#'); hash != std::string::npos) text.resize(hash);
  if (std::size_t question = text.find('?'); question != std::string::npos) {
    parts.query = text.substr(question);
    text.resize(question);
  }
  std::size_t authorityStart = std::string::npos;
  std::size_t sep = text.find("://");
  if (sep != std::string::npos && std::all_of(text.begin(), text.begin() + sep, IsSchemeChar)) {
    parts.scheme = text.substr(0, sep);
    parts.hasScheme = !parts.scheme.empty();
    authorityStart = sep + 3;
  } else if (text.compare(0, 2, "//") == 0) {
    authorityStart = 2;
  }
  if (authorityStart == std::string::npos) {
    parts.path = text;
    return parts;
  }
  parts.hasAuthority = true;
  std::size_t pathStart = text.find('/', authorityStart);
  std::string authority =
      text.substr(authorityStart,
                  pathStart == std::string::npos ? std::string::npos : pathStart - authorityStart);
  if (pathStart != std::string::npos) parts.path = text.substr(pathStart);
  if (std::size_t at = authority.rfind('@'); at != std::string::npos) {
    std::string userInfo = authority.substr(0, at);
    authority.erase(0, at + 1);
    parts.hasCredentials = true;
    std::size_t colon = userInfo.find(':');
    parts.user = userInfo.substr(0, colon);
    if (colon != std::string::npos) parts.password = userInfo.substr(colon + 1);
  }
  std::size_t hostEnd = 0;
  if (!authority.empty() && authority.front() == '[') {
    std::size_t close = authority.find(']');
    hostEnd = close == std::string::npos ? authority.size() : close + 1;
  } else {
    hostEnd = std::min(authority.find(':'), authority.size());
  }
  parts.host = authority.substr(0, hostEnd);
  if (hostEnd < authority.size() && authority[hostEnd] == ':') {
    parts.portText = authority.substr(hostEnd + 1);
  }
  return parts;
}

// Any port text that is not a number from 1 to 65535 gives 0, which cannot be connected to.
int PortNumber(const std::string& text) {
  if (text.size() > 5) return 0;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    value = value * 10 + (c - '0');
  }
  return value <= 65535 ? value : 0;
}

// Removes "." and ".." segments the way relative references are resolved.
std::string RemoveDotSegments(const std::string& path) {
  std::string in = path, out;
  while (!in.empty()) {
    if (in.compare(0, 3, "../") == 0) {
      in.erase(0, 3);
    } else if (in.compare(0, 2, "./") == 0) {
      in.erase(0, 2);
    } else if (in.compare(0, 3, "/./") == 0) {
      in.erase(0, 2);
    } else if (in == "/.") {
      in = "/";
    } else if (in.compare(0, 4, "/../") == 0 || in == "/..") {
      in = in.size() == 3 ? "/" : in.substr(3);
      std::size_t last = out.rfind('/');
      out.resize(last == std::string::npos ? 0 : last);
    } else if (in == "." || in == "..") {
      in.clear();
    } else {
      std::size_t next = in.find('/', 1);
      out += in.substr(0, next);
      in.erase(0, next == std::string::npos ? in.size() : next);
    }
  }
  return out;
}

// Bytes a request target may carry as they are: printable ASCII but the blank and the few
// characters no URL may hold unescaped. "%" stays, so a target already encoded is sent unchanged.
bool IsTargetChar(unsigned char byte) {
  if (byte <= 0x20 || byte >= 0x7F) return false;
  switch (byte) {
    case '"':
    case '<':
    case '>':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}':
      return false;
    default:
      return true;
  }
}

}  // namespace

bool Url::IsHttps() const {
  return EqualsIgnoreCase(scheme, "https");
}

std::string Url::Target() const {
  std::string out;
  out.reserve(path.size() + query.size());
  for (std::string_view part : {std::string_view(path), std::string_view(query)}) {
    for (char c : part) {
      auto byte = static_cast<unsigned char>(c);
      if (!IsTargetChar(byte)) {
        AppendPercentByte(out, byte);
      } else {
        out += c;
      }
    }
  }
  return out;
}

std::string Url::Directory() const {
  return path.substr(0, path.rfind('/') + 1);
}

std::string Url::HostAndPort() const {
  // An https request names port 443 no more than an http one names 80.
  return port == (IsHttps() ? 443 : 80) ? host : host + ":" + std::to_string(port);
}

Url ResolveUrl(const std::string& text, const Url* base) {
  Parts parts = Split(text);
  Url url;
  if (parts.hasScheme) {
    url.scheme = parts.scheme;
  } else {
    url.scheme = base && base->IsHttps() ? "https" : "http";
  }
  url.host = !parts.host.empty() ? parts.host : base ? base->host : std::string();
  if (!parts.portText.empty()) {
    url.port = PortNumber(parts.portText);
  } else if (parts.hasScheme && EqualsIgnoreCase(parts.scheme, "http")) {
    url.port = 80;
  } else if (parts.hasScheme && EqualsIgnoreCase(parts.scheme, "https")) {
    url.port = 443;
  } else if (base) {
    url.port = base->port;
  } else {
    throw HttpError("Unknown Protocol");
  }
  if (parts.hasAuthority) {
    url.path = parts.path.empty() ? "/" : parts.path;
  } else if (!parts.path.empty() && parts.path.front() == '/') {
    url.path = parts.path;
  } else {
    url.path = RemoveDotSegments((base ? base->Directory() : std::string("/")) + parts.path);
  }
  url.query = parts.query;
  url.hasCredentials = parts.hasCredentials;
  url.user = parts.user;
  url.password = parts.password;
  return url;
}

}  // namespace lantervo
