#include "metrics/metrics_request.h"

namespace lantervo::metrics {

namespace {

bool IsTokenChar(char c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

const char* Reason(int code) {
  switch (code) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 431:
      return "Request Header Fields Too Large";
    default:
      return "Error";
  }
}

std::string Answer(int code, const std::string& contentType, const std::string& body, bool withBody,
                   const char* extraHeader) {
  std::string out = "HTTP/1.1 " + std::to_string(code) + " " + Reason(code) + "\r\n";
  out += "Content-Type: " + contentType + "\r\n";
  out += "Content-Length: " + std::to_string(body.size()) + "\r\n";
  if (extraHeader) out += extraHeader;
  out += "Connection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

}  // namespace

RequestHead ParseRequestHead(std::string_view received) {
  RequestHead head;
  // The head ends at the first empty line; anything after it (a body) is not looked at.
  std::size_t end = std::string_view::npos;
  for (std::size_t i = received.find('\n'); i != std::string_view::npos;
       i = received.find('\n', i + 1)) {
    const std::size_t next = i + 1;
    if (next < received.size() && received[next] == '\n') {
      end = next + 1;
      break;
    }
    if (next + 1 < received.size() && received[next] == '\r' && received[next + 1] == '\n') {
      end = next + 2;
      break;
    }
  }
  if (end == std::string_view::npos || end > kMaxRequestHead) {
    head.state = received.size() >= kMaxRequestHead ? RequestHead::State::TooLarge
                                                    : RequestHead::State::Incomplete;
    return head;
  }
  head.state = RequestHead::State::Malformed;
  std::string_view line = received.substr(0, received.find('\n'));
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  // method SP target SP HTTP/major.minor
  const std::size_t space1 = line.find(' ');
  if (space1 == 0 || space1 == std::string_view::npos) return head;
  const std::size_t space2 = line.find(' ', space1 + 1);
  if (space2 == std::string_view::npos || space2 == space1 + 1) return head;
  const std::string_view method = line.substr(0, space1);
  const std::string_view target = line.substr(space1 + 1, space2 - space1 - 1);
  const std::string_view version = line.substr(space2 + 1);
  for (char c : method)
    if (!IsTokenChar(c)) return head;
  for (char c : target)
    if (static_cast<unsigned char>(c) <= ' ' || c == 0x7f) return head;
  if (version.size() != 8 || version.substr(0, 5) != "HTTP/" || version[6] != '.' ||
      version[5] < '0' || version[5] > '9' || version[7] < '0' || version[7] > '9')
    return head;
  head.method = method;
  head.path = target.substr(0, target.find('?'));
  head.state = RequestHead::State::Complete;
  return head;
}

std::string AnswerStatus(int code) {
  return Answer(code, "text/plain; charset=utf-8", std::string(Reason(code)) + "\n", true, nullptr);
}

std::string AnswerRequest(const RequestHead& head, const std::function<std::string()>& exposition) {
  if (head.state != RequestHead::State::Complete)
    return AnswerStatus(head.state == RequestHead::State::TooLarge ? 431 : 400);
  if (head.path != "/metrics") return AnswerStatus(404);
  const bool get = head.method == "GET";
  if (!get && head.method != "HEAD")
    return Answer(405, "text/plain; charset=utf-8", "Method Not Allowed\n", true,
                  "Allow: GET, HEAD\r\n");
  return Answer(200, "text/plain; version=0.0.4; charset=utf-8", exposition(), get, nullptr);
}

}  // namespace lantervo::metrics
