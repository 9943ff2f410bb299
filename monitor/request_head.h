#pragma once
// The bytes of a request head: request line, header lines in their fixed order, empty line.
#include <cstddef>
#include <string>
#include <string_view>

namespace lantervo {

struct RequestHead {
  bool post = false;               // POST as HTTP/1.0 with the form lines, else GET as HTTP/1.1
  std::string target;              // already on-the-wire text
  std::string host;                // the "Host" value
  std::string cookie;              // the "Cookie" value; no line when empty
  std::string authorization;       // the "Authorization" value; no line when empty
  std::string proxyAuthorization;  // the "Proxy-Authorization" value; no line when empty
  std::size_t contentLength = 0;
};

std::string BuildRequestHead(const RequestHead& head);
// A CONNECT request for a tunnel to "host:port" through a proxy.
std::string BuildConnectHead(const std::string& hostAndPort, const std::string& proxyAuthorization);

// A header line above 1024 characters broken after a blank, tab or comma into continuation
// lines that begin with a blank; the pieces are joined with CR LF.
std::string FoldHeaderLine(std::string_view line);

// Header value text as 7-bit ASCII: every character outside printable ASCII becomes "?".
std::string HeaderValueText(std::string_view utf8);

// "Basic " and the Base64 form of user ":" password.
std::string BasicAuthorization(const std::string& user, const std::string& password);

}  // namespace lantervo
