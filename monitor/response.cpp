#include "monitor/response.h"

#include "monitor/ascii.h"
#include "monitor/http_error.h"

namespace lantervo {

namespace {

[[noreturn]] void ClosedGracefully() {
  throw HttpError("Connection Closed Gracefully.");
}
[[noreturn]] void TooLarge() {
  throw HttpError("Response too large.");
}

[[noreturn]] void HeadTooLarge() {
  throw HttpError("Response header too large.");
}

// Counts the lines of one head against its caps.
class HeadBudget {
 public:
  void Take(const ResponseReader& reader, bool headerLine) {
    bytes_ += reader.LastLineBytes();
    if (headerLine) ++lines_;
    if (lines_ > reader.Limits().headLines || bytes_ > reader.Limits().headBytes) HeadTooLarge();
  }

 private:
  std::size_t lines_ = 0;
  std::size_t bytes_ = 0;
};

// A chunk size: hexadecimal digits up to the first blank, tab or ";" (chunk extensions are
// ignored). Nothing when the digits are missing, not hexadecimal or beyond 31 bits.
std::optional<std::size_t> ChunkSize(const std::string& line) {
  std::string_view digits = std::string_view(line).substr(0, line.find_first_of(" \t;"));
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    int d = c >= '0' && c <= '9'   ? c - '0'
            : c >= 'a' && c <= 'f' ? c - 'a' + 10
            : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                   : -1;
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(d);
    if (value > INT32_MAX) return std::nullopt;
  }
  return static_cast<std::size_t>(value);
}

// Trailer lines after the last chunk, up to and including the empty line. They are not kept;
// a close among them ends the body like the empty line.
void SkipTrailer(ResponseReader& reader) {
  HeadBudget budget;
  std::string line;
  for (;;) {
    bool complete = reader.ReadLine(line);
    if (line.empty()) return;
    budget.Take(reader, true);
    if (!complete) return;
  }
}

bool ReadChunked(ResponseReader& reader, std::string& body, std::size_t limit) {
  std::string line;
  for (;;) {
    if (!reader.ReadLine(line)) ClosedGracefully();
    std::optional<std::size_t> size = ChunkSize(line);
    if (!size) {
      // Without a size the rest cannot be framed: the body ends after one more line, and the
      // connection is not used again.
      if (!reader.ReadLine(line)) ClosedGracefully();
      return false;
    }
    if (*size == 0) break;
    if (*size > limit - body.size()) TooLarge();
    if (reader.Read(*size, body) < *size) ClosedGracefully();
    if (!reader.ReadLine(line)) ClosedGracefully();
  }
  SkipTrailer(reader);
  return true;
}

}  // namespace

int StatusCodeOf(const std::string& statusLine) {
  std::size_t first = statusLine.find(' ');
  if (first == std::string::npos) return -1;
  std::size_t second = statusLine.find(' ', first + 1);
  std::string_view field =
      std::string_view(statusLine)
          .substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
  return ParseDecimalInt32(field).value_or(-1);
}

ResponseHead ReadResponseHead(ResponseReader& reader) {
  ResponseHead head;
  HeadBudget budget;
  if (!reader.ReadLine(head.statusLine)) ClosedGracefully();
  budget.Take(reader, false);
  head.status = StatusCodeOf(head.statusLine);
  std::string line;
  for (;;) {
    bool complete = reader.ReadLine(line);
    if (line.empty()) break;
    budget.Take(reader, true);
    head.headers.AddLine(line);
    // Continuation lines grow the last value; it may not outgrow one line.
    const auto& fields = head.headers.Fields();
    if (!fields.empty() && fields.back().second.size() > reader.Limits().lineLength) {
      throw HttpError("Max line length exceeded.");
    }
    if (!complete) break;
  }
  return head;
}

std::optional<std::int32_t> ContentLengthOf(const HttpHeaders& headers) {
  const std::string* value = headers.Find("Content-Length");
  if (!value) return std::nullopt;
  std::optional<std::int32_t> length = ParseDecimalInt32(TrimBlanks(*value));
  if (!length || *length < 0) return std::nullopt;
  return length;
}

bool IsChunked(const HttpHeaders& headers) {
  const std::string* value = headers.Find("Transfer-Encoding");
  return value && FindIgnoreCase(*value, "chunked") != std::string::npos;
}

bool ReadBody(ResponseReader& reader, const HttpHeaders& headers, std::string& body,
              std::size_t limit) {
  if (IsChunked(headers)) return ReadChunked(reader, body, limit);
  if (std::optional<std::int32_t> length = ContentLengthOf(headers)) {
    std::size_t wanted = static_cast<std::size_t>(*length);
    if (wanted > limit - body.size()) {
      // Read one byte beyond the limit: a peer that closes before it gave a short body.
      reader.Read(limit - body.size() + 1, body);
      if (body.size() > limit) TooLarge();
      return true;
    }
    reader.Read(wanted, body);
    return true;
  }
  reader.ReadToClose(body, limit);
  return true;
}

bool DropRedirectBody(ResponseReader& reader, const HttpHeaders& headers, int waitMs,
                      std::size_t limit) {
  std::string dropped;
  if (!IsChunked(headers)) {
    if (ContentLengthOf(headers) == 0) return true;
    if (!reader.WaitForData(waitMs)) return false;
  }
  return ReadBody(reader, headers, dropped, limit);
}

}  // namespace lantervo
