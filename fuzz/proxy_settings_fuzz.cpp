// The proxy settings as the system gives them: Windows' manual proxy list and bypass list, and
// the proxy addresses a settings source answers with. Whatever they hold, the answer is one
// route, a proxy route names a host and a usable port, and the bypass match ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "monitor/http_error.h"
#include "monitor/proxy_route.h"
#include "platform/proxy.h"

using namespace lantervo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // host \n proxy list \n bypass list
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t first = bytes.find('\n');
  const std::size_t second = first == std::string_view::npos ? first : bytes.find('\n', first + 1);
  const std::string_view host = bytes.substr(0, first);
  const std::string_view list = first == std::string_view::npos
                                    ? std::string_view()
                                    : bytes.substr(first + 1, second - first - 1);
  const std::string_view bypass =
      second == std::string_view::npos ? std::string_view() : bytes.substr(second + 1);
  for (const char* scheme : {"http", "https"}) {
    const std::vector<std::string> answer = platform::ManualProxiesFor(scheme, host, list, bypass);
    if (answer.size() != 1 || answer[0].find("://") == std::string::npos) std::abort();
    try {
      const ProxyRoute route = ChooseProxyRoute(answer);
      if (!route.direct && (route.host.empty() || route.port <= 0 || route.port > 65535))
        std::abort();
    } catch (const HttpError&) {
      // a scheme this client does not take, or an address without a host
    }
  }
  platform::BypassPatternMatches(list, host);
  // The bytes as a source's answer, one proxy a line.
  std::vector<std::string> proxies;
  std::size_t start = 0;
  while (start <= bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    proxies.emplace_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  try {
    const ProxyRoute route = ChooseProxyRoute(proxies);
    if (!route.direct && (route.host.empty() || route.port <= 0 || route.port > 65535))
      std::abort();
  } catch (const HttpError&) {
  }
  return 0;
}
