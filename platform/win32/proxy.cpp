// The system proxy on Windows: WinHTTP's view of the user's Internet settings. Automatic
// detection and a configuration script go through WinHttpGetProxyForUrl; a manual proxy and its
// bypass list are applied here, as the browsers do.
#include <windows.h>
#include <winhttp.h>

#include "platform/proxy.h"
#include "platform/utf.h"

namespace lantervo::platform {

namespace {

std::string Text(const wchar_t* wide) {
  return wide ? Narrow(wide) : std::string();
}

struct IeConfig {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
  bool read = false;
  IeConfig() { read = WinHttpGetIEProxyConfigForCurrentUser(&config) != FALSE; }
  ~IeConfig() {
    for (LPWSTR text : {config.lpszAutoConfigUrl, config.lpszProxy, config.lpszProxyBypass})
      if (text) GlobalFree(text);
  }
};

std::string SchemeOf(const std::string& url) {
  const std::size_t at = url.find("://");
  return at == std::string::npos ? std::string("http") : url.substr(0, at);
}

std::string HostOf(const std::string& url) {
  std::size_t start = url.find("://");
  start = start == std::string::npos ? 0 : start + 3;
  std::size_t end = url.find_first_of("/?#", start);
  std::string authority = url.substr(start, end == std::string::npos ? end : end - start);
  if (const std::size_t at = authority.rfind('@'); at != std::string::npos)
    authority.erase(0, at + 1);
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    return authority.substr(0, close == std::string::npos ? close : close + 1);
  }
  return authority.substr(0, authority.find(':'));
}

class WinHttpSource : public ProxySource {
 public:
  std::vector<std::string> ProxiesFor(const std::string& url) override {
    IeConfig ie;
    if (!ie.read) return {"direct://"};
    if (ie.config.fAutoDetect || ie.config.lpszAutoConfigUrl) {
      std::vector<std::string> found;
      if (Automatic(url, ie.config, found)) return found;
      // No script or detection answered: the manual settings, if any, still hold.
    }
    return ManualProxiesFor(SchemeOf(url), HostOf(url), Text(ie.config.lpszProxy),
                            Text(ie.config.lpszProxyBypass));
  }

 private:
  static bool Automatic(const std::string& url, const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& ie,
                        std::vector<std::string>& found) {
    HINTERNET session = WinHttpOpen(L"Lantervo", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                    WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
    if (!session) return false;
    // The script's fetch and its run are bounded here too; the caller's wait is the real bound.
    WinHttpSetTimeouts(session, 5000, 5000, 5000, 5000);
    WINHTTP_AUTOPROXY_OPTIONS options{};
    if (ie.lpszAutoConfigUrl) {
      options.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
      options.lpszAutoConfigUrl = ie.lpszAutoConfigUrl;
    }
    if (ie.fAutoDetect) {
      options.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
      options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
    }
    options.fAutoLogonIfChallenged = TRUE;
    WINHTTP_PROXY_INFO info{};
    const std::wstring wideUrl = Widen(url);
    const bool answered = WinHttpGetProxyForUrl(session, wideUrl.c_str(), &options, &info) != FALSE;
    WinHttpCloseHandle(session);
    if (!answered) return false;
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY && info.lpszProxy) {
      // "host:port; host2:port" in the script's order; the script already applied its bypass.
      for (const std::string& entry :
           ManualProxiesFor(SchemeOf(url), "", Text(info.lpszProxy), "<-loopback>"))
        found.push_back(entry);
    } else {
      found.push_back("direct://");
    }
    if (info.lpszProxy) GlobalFree(info.lpszProxy);
    if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
    return true;
  }
};

}  // namespace

std::shared_ptr<ProxySource> SystemProxySource() {
  static const std::shared_ptr<ProxySource> source = std::make_shared<WinHttpSource>();
  return source;
}

}  // namespace lantervo::platform
