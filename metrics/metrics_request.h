#pragma once
// The little HTTP the metrics endpoint speaks: a request head read from a scraper, and the answer
// to it. Only GET and HEAD of /metrics are served; the connection closes after each answer.
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace lantervo::metrics {

// A request head may be this long at most, its final empty line included.
inline constexpr std::size_t kMaxRequestHead = 8192;

struct RequestHead {
  enum class State {
    Incomplete,  // no empty line yet: read more
    Complete,
    TooLarge,  // no empty line within kMaxRequestHead bytes
    Malformed,
  };
  State state = State::Incomplete;
  std::string method;
  std::string path;  // the target without its query
};

// Reads the head from the bytes received so far (a line may end in CR LF or LF alone).
RequestHead ParseRequestHead(std::string_view received);

// The whole answer to a complete head; `exposition` is called only for a scrape.
std::string AnswerRequest(const RequestHead& head, const std::function<std::string()>& exposition);
// The answer for a head that is too large, malformed, or did not come in time.
std::string AnswerStatus(int code);

}  // namespace lantervo::metrics
