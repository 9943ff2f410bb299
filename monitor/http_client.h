#pragma once
// The system's one HTTP client: HTTP/1.1 GET and HTTP/1.0 form POST with a fixed profile,
// redirects, connection reuse and a cookie store; over TLS for https URLs once allowed. Calls are
// made one at a time; the client may move between threads between calls. Cancel is the one
// operation another thread may call while a call is running.
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "monitor/call_guard.h"
#include "monitor/connection.h"
#include "monitor/cookie_store.h"
#include "monitor/http_options.h"
#include "monitor/proxy_route.h"
#include "monitor/url.h"

namespace lantervo {

namespace platform {
class TlsContext;
}
class ResponseReader;
class HttpHeaders;

class HttpClient {
 public:
  static constexpr int kRedirectMaximum = 15;

  explicit HttpClient(HttpClientOptions options = {});
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  // The final response body as text. Throws HttpError.
  std::string Get(const std::string& url);
  // Sends `fields` ("name=value" lines) as a URL-encoded form; the reply body as text.
  // Throws HttpError.
  std::string Post(const std::string& url, const std::vector<std::string>& fields);

  // From any thread: the call in flight ends soon with "Socket Error # 10004" (interrupted)
  // and closes its connection, and every later call fails the same way at once. For leaving
  // the program; it cannot be undone.
  void Cancel();
  // From any thread: the call in flight ends as a cancelled one does, and the next call goes
  // on as usual (the machine is going to sleep: what is in flight would only time out).
  void Interrupt();

  // Between calls: whether a connection to the URL's host and port can be made now, within
  // the connect time-out; nothing is sent. Cancel and Interrupt end it too.
  bool CanConnect(const std::string& url);

  // Between calls only: whether https URLs are fetched (the HttpsEnabled setting).
  void SetHttpsEnabled(bool enabled) { options_.httpsEnabled = enabled; }
  // Between calls only: the system proxy (the ProxyEnabled setting), or null for direct
  // connections. Plain http then goes to the proxy with the whole URL as the request target,
  // https through a CONNECT tunnel with TLS to the server itself.
  void SetProxySource(std::shared_ptr<platform::ProxySource> source) {
    options_.proxies = std::move(source);
  }

  const CookieStore& Cookies() const { return *cookies_; }
  // Between calls only: from now on this client keeps its cookies in `other`'s store (the lanes
  // of a run share one, as one client would have).
  void ShareCookiesOf(const HttpClient& other) { cookies_ = other.cookies_; }

 private:
  struct Outcome;
  std::string Call(bool post, const std::string& url, const std::string& form);
  Outcome Exchange(bool post, const std::string& url, const std::string& form);
  ProxyRoute RouteFor(const Url& url);
  void Connect(const Url& url, const ProxyRoute& route);
  void OpenTunnel(const Url& url, const ProxyRoute& route);
  void KeepOrClose(bool post, const HttpHeaders& headers, bool reusable);
  void CloseConnection();
  void ClearInterrupt();

  HttpClientOptions options_;
  // Raised by Cancel for good, by Interrupt for the call in flight only.
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> leaving_{false};
  CallGuard guard_{cancelled_};
  std::shared_ptr<Connector> connector_;
  std::optional<Url> base_;
  std::shared_ptr<CookieStore> cookies_;
  std::unique_ptr<Connection> connection_;
  // What receives pass through, kept across connections: a reconnect allocates no 64 KB.
  std::unique_ptr<char[]> scratch_;
  std::unique_ptr<ResponseReader> reader_;
  std::shared_ptr<platform::TlsContext> tls_;  // made at the first https connection
  bool connectedHttps_ = false;
  std::string connectedVia_;  // the proxy's Key, empty for a direct connection
  std::string connectedHost_;
  int connectedPort_ = 0;
};

}  // namespace lantervo
