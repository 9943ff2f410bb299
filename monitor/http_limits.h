#pragma once
// The caps that keep a hostile server from growing a call's memory without bound. The defaults
// are the client's profile; the fuzzer shrinks them so that small inputs reach every cap.
#include <cstddef>

namespace lantervo {

struct HttpLimits {
  // One line of a head; also a header value folded over continuation lines, which may grow to
  // the length of one line as if it had come in one. More: "Max line length exceeded.".
  std::size_t lineLength = 16384;
  // What one head (status line and header lines, or a chunked body's trailer lines) may hold:
  // more fails with "Response header too large.".
  std::size_t headLines = 1000;
  std::size_t headBytes = std::size_t{1} << 20;
  // Past these the oldest stored cookie of the domain, or of the store, gives way.
  std::size_t cookiesPerDomain = 180;
  std::size_t cookies = 3000;
  // A cookie whose name and value together are longer is dropped on receipt.
  std::size_t cookieBytes = 4096;
  // The "Cookie" value stops before a pair that would make it longer.
  std::size_t cookieHeaderBytes = 8190;
};

}  // namespace lantervo
