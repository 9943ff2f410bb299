#include "monitor/tls_connection.h"

#include <algorithm>
#include <cstring>

#include "core/text_format.h"
#include "i18n/gettext.h"
#include "monitor/http_error.h"
#include "platform/clock.h"

namespace lantervo {

namespace {

constexpr std::size_t kRecordReceiveSize = 32 * 1024;

[[noreturn]] void TimedOut() {
  throw HttpError("Read timed out.");
}

}  // namespace

std::string TlsFailureText(const platform::TlsError& error) {
  using platform::TlsFailure;
  switch (error.Kind()) {
    case TlsFailure::Expired:
      return TranslateText("SSL certificate problem: ") + TranslateText("certificate has expired");
    case TlsFailure::Untrusted:
      return TranslateText("SSL certificate problem: ") +
             TranslateText("certificate is not trusted");
    case TlsFailure::NameMismatch:
      return TranslateText("SSL certificate problem: ") +
             FormatText(TranslateText("certificate name does not match %s"), {error.what()});
    case TlsFailure::Certificate:
      return TranslateText("SSL certificate problem: ") + error.what();
    case TlsFailure::Handshake:
      break;
  }
  return TranslateText("SSL handshake failed: ") + error.what();
}

TlsConnection::TlsConnection(std::unique_ptr<Connection> inner, platform::TlsContext& context,
                             const std::string& host, int port, int readTimeoutMs,
                             const CallGuard* guard)
    : inner_(std::move(inner)), readTimeoutMs_(readTimeoutMs), guard_(guard) {
  try {
    session_ = platform::StartTlsSession(context, host, port);
    std::string out;
    for (;;) {
      const bool done = session_->Handshake(cipher_, out);
      if (!out.empty()) inner_->Send(out);
      out.clear();
      if (done) break;
      WaitForHandshake();
      char buffer[kRecordReceiveSize];
      const std::size_t n = inner_->Receive(buffer, sizeof buffer);
      if (n == 0) {
        throw HttpError(TranslateText("SSL handshake failed: ") +
                        TranslateText("connection closed by the server"));
      }
      cipher_.append(buffer, n);
    }
  } catch (const platform::TlsError& e) {
    throw HttpError(TlsFailureText(e));
  }
  // Bytes that came with the end of the handshake may already hold data.
  if (!cipher_.empty()) Decrypt();
}

void TlsConnection::WaitForHandshake() {
  int waitMs = readTimeoutMs_;
  if (guard_) {
    guard_->ThrowIfCancelled();
    const int left = guard_->RemainingMs();
    if (left <= 0) TimedOut();
    waitMs = std::min(waitMs, left);
  }
  if (!inner_->WaitReadable(waitMs)) TimedOut();
}

void TlsConnection::Send(std::string_view bytes) {
  std::string records;
  try {
    session_->Encrypt(bytes, records);
  } catch (const platform::TlsError& e) {
    throw HttpError(TlsFailureText(e));
  }
  inner_->Send(records);
}

void TlsConnection::Decrypt() {
  std::string answer;
  try {
    if (!session_->Decrypt(cipher_, plain_, answer)) closed_ = true;
  } catch (const platform::TlsError& e) {
    throw HttpError(TlsFailureText(e));
  }
  if (!answer.empty() && !closed_) inner_->Send(answer);
}

void TlsConnection::ReceiveRecords() {
  char buffer[kRecordReceiveSize];
  const std::size_t n = inner_->Receive(buffer, sizeof buffer);
  // A peer that closes without saying so ends the stream all the same, as over plain TCP.
  if (n == 0) {
    closed_ = true;
    return;
  }
  cipher_.append(buffer, n);
  Decrypt();
}

bool TlsConnection::WaitReadable(int waitMs) {
  const std::uint32_t start = platform::TickCount();
  for (;;) {
    if (plainPos_ < plain_.size() || closed_) return true;
    const std::int64_t left = std::int64_t{waitMs} - (platform::TickCount() - start);
    // Bytes that complete no record leave nothing to read yet: wait again for what is left.
    if (!inner_->WaitReadable(static_cast<int>(std::max<std::int64_t>(left, 0)))) return false;
    ReceiveRecords();
  }
}

std::size_t TlsConnection::Receive(char* buffer, std::size_t size) {
  if (plainPos_ == plain_.size() && !closed_ && !WaitReadable(readTimeoutMs_)) TimedOut();
  const std::size_t n = std::min(size, plain_.size() - plainPos_);
  std::memcpy(buffer, plain_.data() + plainPos_, n);
  plainPos_ += n;
  if (plainPos_ == plain_.size()) {
    plain_.clear();
    plainPos_ = 0;
  }
  return n;
}

bool TlsConnection::PeerOpen() {
  if (plainPos_ < plain_.size()) return true;
  if (closed_ || !inner_->PeerOpen()) return false;
  // Records that came meanwhile (a session ticket, or the peer's closing alert) tell more.
  while (!closed_ && inner_->WaitReadable(0)) ReceiveRecords();
  return !closed_ || plainPos_ < plain_.size();
}

}  // namespace lantervo
