#pragma once
// One response read from a connection: status line, headers and the ways its body is read.
#include <cstddef>
#include <optional>
#include <string>

#include "monitor/http_headers.h"
#include "monitor/response_reader.h"

namespace lantervo {

struct ResponseHead {
  std::string statusLine;
  int status = -1;
  HttpHeaders headers;
};

// The second blank-separated field of the status line as a decimal number, or -1.
int StatusCodeOf(const std::string& statusLine);

// Reads the status line and the header lines up to the empty line, within the reader's limits.
// Throws "Connection Closed
// Gracefully." when the peer closes before a complete status line; a close among the headers
// ends them.
ResponseHead ReadResponseHead(ResponseReader& reader);

// The "Content-Length" value when it is a number from 0 up that fits 32 bits.
std::optional<std::int32_t> ContentLengthOf(const HttpHeaders& headers);
bool IsChunked(const HttpHeaders& headers);

// Appends the body as the headers frame it: chunked, by length (a short read ends it quietly)
// or up to the peer's close. Fails with "Response too large." beyond `limit`. Returns false
// when the body ended where its framing was lost (an unreadable chunk size), so the connection
// cannot carry another response.
bool ReadBody(ResponseReader& reader, const HttpHeaders& headers, std::string& body,
              std::size_t limit);

// Reads and drops a redirect answer's body. A body that has not begun is given `waitMs` to
// begin. Returns false when a body was announced but skipped, or its framing was lost, so the
// connection cannot be used for another request.
bool DropRedirectBody(ResponseReader& reader, const HttpHeaders& headers, int waitMs,
                      std::size_t limit);

}  // namespace lantervo
