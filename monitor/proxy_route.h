#pragma once
// How a request reaches its server when the system proxy is used: the route chosen from the
// system's answer for the URL, and the bounded wait for that answer.
#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace lantervo {

namespace platform {
class ProxySource;
}

struct ProxyRoute {
  bool direct = true;
  std::string host;  // as written; an IPv6 literal keeps its brackets
  int port = 0;
  bool hasCredentials = false;
  std::string user;
  std::string password;
  // "host:port", the key of a connection to the proxy.
  std::string Key() const;
};

// The first route of the answer that this client can take: direct, or an http proxy (other
// kinds, such as SOCKS, are passed over). Throws HttpError when none is left.
ProxyRoute ChooseProxyRoute(const std::vector<std::string>& proxies);

// Asks the source for the URL's proxies on a thread of its own and waits at most `waitMs`,
// looking at `cancelled` every slice (a cancel ends the wait as a cancelled call). A source
// that does not answer in time fails the call with a clear text; its lookup is left to finish
// on its own.
std::vector<std::string> AskProxies(const std::shared_ptr<platform::ProxySource>& source,
                                    const std::string& url, int waitMs,
                                    const std::atomic<bool>* cancelled);

// The failures of a request through a proxy, as the grid and the log show them.
std::string ProxyAuthenticationText(bool credentialsGiven);
std::string ProxyRefusedText(const std::string& statusLine);

}  // namespace lantervo
