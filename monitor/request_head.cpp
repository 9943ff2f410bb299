#include "monitor/request_head.h"

#include <algorithm>

namespace lantervo {

namespace {

constexpr std::size_t kFoldLength = 1024;

bool IsFoldPoint(char c) {
  return c == ' ' || c == '\t' || c == ',';
}

void AddHeader(std::string& out, std::string_view name, std::string_view value) {
  std::string line(name);
  line += ": ";
  line += value;
  out += FoldHeaderLine(line);
  out += "\r\n";
}

}  // namespace

std::string FoldHeaderLine(std::string_view line) {
  std::string out;
  std::string rest(line);
  // Never break between the name and its value; a continuation keeps its leading blank.
  std::size_t first = line.find(": ");
  first = first == std::string_view::npos ? 1 : first + 2;
  while (rest.size() > kFoldLength) {
    std::size_t pos = std::string::npos;
    for (std::size_t i = kFoldLength - 1; i >= first && pos == std::string::npos; --i) {
      if (IsFoldPoint(rest[i])) pos = i;
    }
    for (std::size_t i = std::max(kFoldLength, first); i < rest.size() && pos == std::string::npos;
         ++i) {
      if (IsFoldPoint(rest[i])) pos = i;
    }
    std::size_t next = rest.find_first_not_of(" \t", pos + 1);
    if (pos == std::string::npos || next == std::string::npos) break;
    std::size_t end = rest.find_last_not_of(" \t", pos);
    out.append(rest, 0, end + 1);
    out += "\r\n";
    rest = " " + rest.substr(next);
    first = 1;
  }
  out += rest;
  return out;
}

std::string HeaderValueText(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    auto byte = static_cast<unsigned char>(utf8[i]);
    if (byte < 0x80) {
      // Control characters would end the line early; they cannot be carried either.
      out += byte < 0x20 || byte == 0x7F ? '?' : static_cast<char>(byte);
      ++i;
      continue;
    }
    // One "?" per character: skip the continuation bytes of a UTF-8 sequence.
    out += '?';
    ++i;
    while (i < utf8.size() && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) ++i;
  }
  return out;
}

std::string BasicAuthorization(const std::string& user, const std::string& password) {
  static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string plain = user + ":" + password;
  std::string out = "Basic ";
  for (std::size_t i = 0; i < plain.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(plain[i]) << 16;
    if (i + 1 < plain.size()) v |= static_cast<unsigned char>(plain[i + 1]) << 8;
    if (i + 2 < plain.size()) v |= static_cast<unsigned char>(plain[i + 2]);
    out += alphabet[(v >> 18) & 63];
    out += alphabet[(v >> 12) & 63];
    out += i + 1 < plain.size() ? alphabet[(v >> 6) & 63] : '=';
    out += i + 2 < plain.size() ? alphabet[v & 63] : '=';
  }
  return out;
}

std::string BuildRequestHead(const RequestHead& head) {
  std::string out;
  out.reserve(256 + head.target.size() + head.cookie.size());
  out += head.post ? "POST " : "GET ";
  out += head.target;
  out += head.post ? " HTTP/1.0\r\n" : " HTTP/1.1\r\n";
  if (head.post) {
    out += "Connection: keep-alive\r\n";
    out += "Content-Type: application/x-www-form-urlencoded\r\n";
    AddHeader(out, "Content-Length", std::to_string(head.contentLength));
  }
  AddHeader(out, "Host", HeaderValueText(head.host));
  out += "Accept: text/html, */*\r\n";
  out += "Accept-Encoding: identity\r\n";
  out += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
  if (!head.cookie.empty()) AddHeader(out, "Cookie", HeaderValueText(head.cookie));
  if (!head.authorization.empty()) {
    AddHeader(out, "Authorization", HeaderValueText(head.authorization));
  }
  if (!head.proxyAuthorization.empty())
    AddHeader(out, "Proxy-Authorization", HeaderValueText(head.proxyAuthorization));
  out += "\r\n";
  return out;
}

std::string BuildConnectHead(const std::string& hostAndPort,
                             const std::string& proxyAuthorization) {
  std::string out = "CONNECT " + HeaderValueText(hostAndPort) + " HTTP/1.1\r\n";
  AddHeader(out, "Host", HeaderValueText(hostAndPort));
  out += "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";
  if (!proxyAuthorization.empty())
    AddHeader(out, "Proxy-Authorization", HeaderValueText(proxyAuthorization));
  out += "\r\n";
  return out;
}

}  // namespace lantervo
