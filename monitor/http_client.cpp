#include "monitor/http_client.h"

#include "monitor/ascii.h"
#include "monitor/body_text.h"
#include "monitor/form_encoding.h"
#include "monitor/http_error.h"
#include "monitor/request_head.h"
#include "monitor/response.h"
#include "monitor/response_reader.h"
#include "monitor/socket_connection.h"
#include "monitor/tls_connection.h"
#include "platform/clock.h"
#include "platform/socket.h"
#include "platform/tls.h"

namespace lantervo {

namespace {

// A failure raised before anything was sent or read, which leaves the connection as it was.
struct CleanFailure {
  HttpError error;
};

bool HeaderEquals(const HttpHeaders& headers, std::string_view name, std::string_view word) {
  const std::string* value = headers.Find(name);
  return value && EqualsIgnoreCase(TrimBlanks(*value), word);
}

// The whole URL, as a proxy is asked for it and as the settings are asked about it.
std::string AbsoluteTarget(const Url& url) {
  std::string scheme = url.scheme;
  for (char& c : scheme) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return scheme + "://" + url.HostAndPort() + url.Target();
}

}  // namespace

struct HttpClient::Outcome {
  bool failed = false;
  std::string statusLine;
  int status = 0;
  std::string body;
  std::string contentType;
};

HttpClient::HttpClient(HttpClientOptions options)
    : options_(std::move(options)),
      connector_(options_.connector),
      cookies_(std::make_shared<CookieStore>(options_.now, options_.limits)) {
  if (!connector_) {
    platform::Resolver& resolver =
        options_.resolver ? *options_.resolver : platform::SystemResolver();
    connector_ = std::make_shared<SocketConnector>(resolver, options_.connectTimeoutMs,
                                                   options_.connectPollMs, &cancelled_);
  }
}

HttpClient::~HttpClient() {
  CloseConnection();
}

std::string HttpClient::Get(const std::string& url) {
  return Call(false, url, {});
}

std::string HttpClient::Post(const std::string& url, const std::vector<std::string>& fields) {
  return Call(true, url, EncodeForm(fields));
}

void HttpClient::Cancel() {
  leaving_.store(true);
  cancelled_.store(true);
}

void HttpClient::Interrupt() {
  cancelled_.store(true);
}

void HttpClient::ClearInterrupt() {
  // Cancel raises `leaving_` before the flag, so a Cancel that races with this is never lost.
  cancelled_.store(false);
  if (leaving_.load()) cancelled_.store(true);
}

bool HttpClient::CanConnect(const std::string& url) {
  ClearInterrupt();
  try {
    const Url target = ResolveUrl(url, nullptr);
    if (target.host.empty() || cancelled_.load()) return false;
    // Through a proxy the network is there when the proxy can be reached.
    const ProxyRoute route = RouteFor(target);
    if (route.direct)
      connector_->Connect(target.host, target.port);
    else
      connector_->Connect(route.host, route.port);
    return true;
  } catch (...) {
    return false;
  }
}

std::string HttpClient::Call(bool post, const std::string& url, const std::string& form) {
  Outcome outcome;
  // An interruption ends the call it was meant for, not this one.
  ClearInterrupt();
  try {
    guard_.ThrowIfCancelled();
    guard_.Start(options_.callDeadlineMs);
    outcome = Exchange(post, url, form);
  } catch (const CleanFailure& failure) {
    throw failure.error;
  } catch (const platform::SocketError& e) {
    CloseConnection();
    throw HttpError(e.what());
  } catch (...) {
    // Whatever was half read cannot be the start of the next response.
    CloseConnection();
    throw;
  }
  std::string text = BodyToText(std::move(outcome.body), outcome.contentType);
  if (outcome.failed) throw HttpError(outcome.statusLine, outcome.status, std::move(text));
  return text;
}

HttpClient::Outcome HttpClient::Exchange(bool post, const std::string& url,
                                         const std::string& form) {
  std::optional<Url> credentialsFor;
  std::string next = url;
  for (int redirects = 0;;) {
    Url target;
    try {
      target = ResolveUrl(next, base_ ? &*base_ : nullptr);
    } catch (const HttpError& e) {
      throw CleanFailure{e};
    }
    base_ = target;
    // Credentials in the caller's URL go to that host and port only, never elsewhere.
    if (redirects == 0 && target.hasCredentials) credentialsFor = target;
    if (target.IsHttps() && !options_.httpsEnabled)
      throw CleanFailure{HttpError("IOHandler value is not valid")};
    if (target.host.empty()) throw CleanFailure{HttpError("")};

    if (post) CloseConnection();
    const ProxyRoute route = RouteFor(target);
    Connect(target, route);
    // A tunnel carries the request as if direct; plain http names the whole URL to the proxy.
    const bool toProxy = !route.direct && !target.IsHttps();
    cookies_->RemoveExpired();
    RequestHead head;
    head.post = post;
    head.target = toProxy ? AbsoluteTarget(target) : target.Target();
    if (toProxy && route.hasCredentials)
      head.proxyAuthorization = BasicAuthorization(route.user, route.password);
    head.host = target.HostAndPort();
    head.cookie = cookies_->CookieHeader(target.host, target.path, target.IsHttps());
    if (credentialsFor && EqualsIgnoreCase(credentialsFor->host, target.host) &&
        credentialsFor->port == target.port) {
      head.authorization = BasicAuthorization(credentialsFor->user, credentialsFor->password);
    }
    head.contentLength = form.size();
    std::string request = BuildRequestHead(head);
    if (post) request += form;
    connection_->Send(request);

    ResponseHead response;
    do {
      response = ReadResponseHead(*reader_);
      cookies_->StoreFrom(response.headers, target.host);
    } while (response.status == 100);
    if (toProxy && response.status == 407)
      throw HttpError(ProxyAuthenticationText(route.hasCredentials));

    const std::string* location = response.headers.Find("Location");
    const int status = response.status;
    if ((location && !location->empty()) || (status >= 300 && status <= 399 && status != 304)) {
      ++redirects;
      const bool reusable = DropRedirectBody(*reader_, response.headers,
                                             options_.redirectBodyWaitMs, options_.maxBodyBytes);
      KeepOrClose(post, response.headers, reusable);
      // The last redirect answer ends the call with an empty body, without a failure.
      if (redirects >= kRedirectMaximum) return Outcome{};
      next = location ? *location : std::string();
      continue;
    }

    Outcome outcome;
    outcome.contentType = response.headers.Value("Content-Type");
    outcome.statusLine = response.statusLine;
    outcome.status = status;
    bool reusable = true;
    if (status >= 200 && status <= 299) {
      if (status == 204) {
        std::string dropped;
        reader_->ReadFor(options_.leftoverWaitMs, dropped, options_.maxBodyBytes);
        if (dropped.size() > options_.maxBodyBytes) throw HttpError("Response too large.");
      } else {
        reusable = ReadBody(*reader_, response.headers, outcome.body, options_.maxBodyBytes);
      }
    } else {
      outcome.failed = true;
      if (status == 304 || (status >= 101 && status <= 199)) {
        reader_->ReadFor(options_.leftoverWaitMs, outcome.body, options_.maxBodyBytes);
        if (outcome.body.size() > options_.maxBodyBytes) throw HttpError("Response too large.");
      } else {
        reusable = ReadBody(*reader_, response.headers, outcome.body, options_.maxBodyBytes);
      }
    }
    KeepOrClose(post, response.headers, reusable);
    return outcome;
  }
}

ProxyRoute HttpClient::RouteFor(const Url& url) {
  if (!options_.proxies) return ProxyRoute{};
  return ChooseProxyRoute(
      AskProxies(options_.proxies, AbsoluteTarget(url), options_.proxyLookupMs, &cancelled_));
}

void HttpClient::Connect(const Url& url, const ProxyRoute& route) {
  const bool https = url.IsHttps();
  const std::string via = route.direct ? std::string() : route.Key();
  // Plain http through a proxy shares the proxy's connection whatever the server; a tunnel,
  // like a direct connection, belongs to its server.
  const bool serverMatters = via.empty() || https;
  if (connection_ && (connectedHttps_ != https || connectedVia_ != via ||
                      (serverMatters && (!EqualsIgnoreCase(connectedHost_, url.host) ||
                                         connectedPort_ != url.port)))) {
    CloseConnection();
  }
  // A connection the peer has closed meanwhile is replaced; an error found here fails the call.
  if (connection_ && !reader_->HasBuffered() && !connection_->PeerOpen()) CloseConnection();
  if (connection_) return;
  // Connecting has its own limit, so its time is given back to the call's deadline.
  const std::uint32_t start = platform::TickCount();
  connection_ = via.empty() ? connector_->Connect(url.host, url.port)
                            : connector_->Connect(route.host, route.port);
  guard_.Exclude(start);
  if (!scratch_) scratch_.reset(new char[ResponseReader::kReceiveSize]);
  if (https && !via.empty()) OpenTunnel(url, route);
  if (https) {
    // The handshake is reading and writing like the rest of the call, so it uses the call's
    // time, not the connect's.
    try {
      if (!tls_) tls_ = platform::MakeTlsContext(options_.tlsTrustAnchors);
    } catch (const platform::TlsError& e) {
      connection_.reset();
      throw HttpError(TlsFailureText(e));
    }
    connection_ = std::make_unique<TlsConnection>(std::move(connection_), *tls_, url.host, url.port,
                                                  options_.readTimeoutMs, &guard_);
  }
  reader_ = std::make_unique<ResponseReader>(*connection_, options_.readTimeoutMs, &guard_,
                                             options_.limits, scratch_.get());
  connectedVia_ = via;
  connectedHttps_ = https;
  connectedHost_ = url.host;
  connectedPort_ = url.port;
}

void HttpClient::OpenTunnel(const Url& url, const ProxyRoute& route) {
  // The tunnel's answer is read with the call's time and caps, like any response head.
  connection_->Send(BuildConnectHead(
      url.host + ":" + std::to_string(url.port),
      route.hasCredentials ? BasicAuthorization(route.user, route.password) : std::string()));
  ResponseReader reader(*connection_, options_.readTimeoutMs, &guard_, options_.limits,
                        scratch_.get());
  const ResponseHead head = ReadResponseHead(reader);
  if (head.status == 407) throw HttpError(ProxyAuthenticationText(route.hasCredentials));
  // Anything after a 2xx head would be the proxy's bytes, not the server's.
  if (head.status < 200 || head.status > 299 || reader.HasBuffered())
    throw HttpError(ProxyRefusedText(head.statusLine));
}

void HttpClient::KeepOrClose(bool post, const HttpHeaders& headers, bool reusable) {
  bool keep;
  if (post) {
    keep = HeaderEquals(headers, "Connection", "KEEP-ALIVE") ||
           HeaderEquals(headers, "Proxy-Connection", "KEEP-ALIVE");
  } else {
    keep = !HeaderEquals(headers, "Connection", "CLOSE") &&
           !HeaderEquals(headers, "Proxy-Connection", "CLOSE");
  }
  if (!keep || !reusable || reader_->PeerClosed()) CloseConnection();
}

void HttpClient::CloseConnection() {
  reader_.reset();
  connection_.reset();
}

}  // namespace lantervo
