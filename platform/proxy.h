#pragma once
// The system's proxy settings: for a URL, the proxies to try in order, as the desktop, a proxy
// configuration script or the environment say. Windows asks WinHTTP (the user's Internet
// settings, automatic detection, a configuration script); Linux asks libproxy (the desktop's
// settings, PAC scripts, http_proxy / https_proxy / no_proxy).
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::platform {

class ProxySource {
 public:
  virtual ~ProxySource() = default;
  // "direct://" for no proxy, "http://[user:password@]host:port" for one, other schemes
  // ("socks://…") as the settings give them. Never empty: no settings mean direct. May take
  // long (a script to fetch, automatic detection), so callers bound the wait; any thread.
  virtual std::vector<std::string> ProxiesFor(const std::string& url) = 0;
};

// The one system source, made at the first call and kept for the life of the program.
std::shared_ptr<ProxySource> SystemProxySource();

// Windows' manual proxy settings applied to a URL's scheme and host: `proxyList` is
// "host:port" for every scheme, or "http=host:port;https=host:port" (entries split by ';' or
// blanks, the first one for the scheme counts); `bypassList` holds host patterns split by ';'
// with '*' wildcards, "<local>" for names without a dot, and "<-loopback>" to send loopback
// addresses through the proxy too (they go direct otherwise). The answer is as ProxiesFor's.
std::vector<std::string> ManualProxiesFor(std::string_view scheme, std::string_view host,
                                          std::string_view proxyList, std::string_view bypassList);

// Whether `host` matches a bypass pattern ('*' matches any run of characters), in any case.
bool BypassPatternMatches(std::string_view pattern, std::string_view host);

}  // namespace lantervo::platform
