// The system proxy on Linux: libproxy, which reads the desktop's settings (through its plug-ins),
// PAC scripts and the http_proxy / https_proxy / no_proxy variables.
#include <proxy.h>

#include "platform/proxy.h"

namespace lantervo::platform {

namespace {

class LibproxySource : public ProxySource {
 public:
  // The factory is never freed: a lookup whose caller stopped waiting may still be using it
  // as the program ends.
  LibproxySource() : factory_(px_proxy_factory_new()) {}

  std::vector<std::string> ProxiesFor(const std::string& url) override {
    std::vector<std::string> proxies;
    if (factory_) {
      if (char** list = px_proxy_factory_get_proxies(factory_, url.c_str())) {
        for (char** p = list; *p; ++p) proxies.emplace_back(*p);
        px_proxy_factory_free_proxies(list);
      }
    }
    if (proxies.empty()) proxies.emplace_back("direct://");
    return proxies;
  }

 private:
  pxProxyFactory* factory_;
};

}  // namespace

std::shared_ptr<ProxySource> SystemProxySource() {
  static const std::shared_ptr<ProxySource> source = std::make_shared<LibproxySource>();
  return source;
}

}  // namespace lantervo::platform
