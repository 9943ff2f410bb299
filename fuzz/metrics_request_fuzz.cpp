// A scraper's request head, and the answer to it: the head parser must stop at its cap, never
// read past what came in, and whatever it makes of the bytes must be answered with a whole
// response whose Content-Length is true. The label escaping sees the same bytes as a server name.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "metrics/metrics_book.h"
#include "metrics/metrics_request.h"

using namespace lantervo::metrics;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const RequestHead head = ParseRequestHead(bytes);
  if (head.state == RequestHead::State::Incomplete && size >= kMaxRequestHead) std::abort();
  if (head.state == RequestHead::State::Complete &&
      (head.method.empty() || head.path.find('?') != std::string::npos))
    std::abort();
  const std::string body = "lantervo_runs_total 0\n";
  const std::string answer = head.state == RequestHead::State::Incomplete
                                 ? AnswerStatus(408)
                                 : AnswerRequest(head, [&] { return body; });
  const std::size_t end = answer.find("\r\n\r\n");
  if (answer.rfind("HTTP/1.1 ", 0) != 0 || end == std::string::npos) std::abort();
  const std::size_t length = answer.find("Content-Length: ");
  if (length == std::string::npos || length > end) std::abort();
  const std::size_t declared = std::strtoul(answer.c_str() + length + 16, nullptr, 10);
  const bool headOnly = head.state == RequestHead::State::Complete && head.method == "HEAD" &&
                        head.path == "/metrics";
  if (answer.size() - end - 4 != (headOnly ? 0 : declared)) std::abort();

  // As a label value: no raw quote, backslash or line feed may be left unescaped.
  const std::string escaped = EscapeLabelValue(bytes);
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    if (escaped[i] == '\n') std::abort();
    if (escaped[i] == '\\') {
      if (i + 1 >= escaped.size() ||
          std::string_view("\\\"n").find(escaped[i + 1]) == std::string_view::npos)
        std::abort();
      ++i;
    } else if (escaped[i] == '"') {
      std::abort();
    }
  }
  return 0;
}
