#pragma once
// Buffered reading of one connection: lines with the length limit, byte counts, reading to
// the peer's close and reading for a limited time. Every wait for bytes is bounded by the read
// timeout and by what is left of the call ("Read timed out."), and ends early when the call is
// cancelled.
#include <cstddef>
#include <memory>
#include <string>

#include "monitor/call_guard.h"
#include "monitor/connection.h"
#include "monitor/http_limits.h"

namespace lantervo {

class ResponseReader {
 public:
  static constexpr std::size_t kReceiveSize = 64 * 1024;

  // Without a guard only the read timeout bounds a wait. `scratch` (kReceiveSize bytes, the
  // owner's, which keeps it across connections) is what each receive passes through on its way
  // into the buffer; without one the reader makes its own.
  ResponseReader(Connection& connection, int readTimeoutMs, const CallGuard* guard = nullptr,
                 HttpLimits limits = {}, char* scratch = nullptr)
      : connection_(connection),
        readTimeoutMs_(readTimeoutMs),
        guard_(guard),
        limits_(limits),
        scratch_(scratch) {}

  const HttpLimits& Limits() const { return limits_; }

  // One line without its LF and a CR just before it. False when the peer closed before the
  // LF; `line` then holds what came. Throws "Max line length exceeded.".
  bool ReadLine(std::string& line);
  // The bytes the last ReadLine took from the stream, its line ending included.
  std::size_t LastLineBytes() const { return lastLineBytes_; }
  // Appends up to `count` bytes to `out`; fewer only when the peer closes first.
  std::size_t Read(std::size_t count, std::string& out);
  // Appends everything up to the peer's close, failing once `out` grows beyond `limit`.
  void ReadToClose(std::string& out, std::size_t limit);
  // Appends what arrives within waitMs or until the peer closes, up to limit + 1 bytes.
  void ReadFor(int waitMs, std::string& out, std::size_t limit);
  // True when bytes are buffered or arrive (or the peer closes) within waitMs.
  bool WaitForData(int waitMs);

  bool HasBuffered() const { return pos_ < buffer_.size(); }
  bool PeerClosed() const { return closed_; }

 private:
  // Receives more bytes into the buffer; false when the peer has closed.
  bool Fill();
  std::size_t ReceiveInto(std::string& out, std::size_t max);
  // Waits up to waitMs for the connection: false when that wait ran out, "Read timed out." when
  // the call's deadline ran out first.
  bool Wait(int waitMs);

  Connection& connection_;
  int readTimeoutMs_;
  const CallGuard* guard_;
  HttpLimits limits_;
  char* scratch_;
  std::unique_ptr<char[]> ownScratch_;
  std::string buffer_;
  std::size_t pos_ = 0;
  bool closed_ = false;
  std::size_t lastLineBytes_ = 0;
};

}  // namespace lantervo
