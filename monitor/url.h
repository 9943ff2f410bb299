#pragma once
// Request URLs: splitting, and resolution against the URL of the previous request.
#include <string>

namespace lantervo {

struct Url {
  std::string scheme;  // as written
  std::string host;    // as written; an IPv6 literal keeps its brackets
  int port = 0;        // 0 when the URL's port cannot be used
  std::string path;    // the resolved path, not encoded or decoded
  std::string query;   // from the first "?" on, "?" included; empty without one
  bool hasCredentials = false;
  std::string user;
  std::string password;

  bool IsHttps() const;
  // Path and query as sent on the request line; bytes outside printable ASCII are
  // percent-encoded, everything else goes as written.
  std::string Target() const;
  // The path up to and including its last "/".
  std::string Directory() const;
  // The "Host" value: the host, with ":" and the port unless the port is the scheme's own
  // (80, or 443 for https).
  std::string HostAndPort() const;
};

// Resolves `text` against `base` (null before a client's first request). Throws HttpError with
// "Unknown Protocol" when no port can be known.
Url ResolveUrl(const std::string& text, const Url* base);

}  // namespace lantervo
