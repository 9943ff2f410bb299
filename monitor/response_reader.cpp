#include "monitor/response_reader.h"

#include <algorithm>
#include <cstdint>

#include "monitor/http_error.h"
#include "platform/clock.h"

namespace lantervo {

namespace {

[[noreturn]] void TooLarge() {
  throw HttpError("Response too large.");
}
[[noreturn]] void TimedOut() {
  throw HttpError("Read timed out.");
}

}  // namespace

bool ResponseReader::Wait(int waitMs) {
  if (!guard_) return connection_.WaitReadable(waitMs);
  guard_->ThrowIfCancelled();
  // Checked before every receive, so even a peer that always has bytes ready cannot hold the
  // call beyond its deadline.
  const int left = guard_->RemainingMs();
  if (left <= 0) TimedOut();
  if (waitMs < left) return connection_.WaitReadable(waitMs);
  if (!connection_.WaitReadable(left)) TimedOut();
  return true;
}

std::size_t ResponseReader::ReceiveInto(std::string& out, std::size_t max) {
  if (closed_) return 0;
  if (!Wait(readTimeoutMs_)) TimedOut();
  if (!scratch_) {
    ownScratch_.reset(new char[kReceiveSize]);
    scratch_ = ownScratch_.get();
  }
  std::size_t n = connection_.Receive(scratch_, std::min(max, kReceiveSize));
  out.append(scratch_, n);
  if (n == 0) closed_ = true;
  return n;
}

bool ResponseReader::Fill() {
  if (pos_ == buffer_.size()) {
    buffer_.clear();
    pos_ = 0;
  } else if (pos_ > kReceiveSize) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  return ReceiveInto(buffer_, kReceiveSize) > 0;
}

bool ResponseReader::ReadLine(std::string& line) {
  std::size_t scanned = 0;  // bytes after pos_ already searched for the LF
  for (;;) {
    std::size_t lf = buffer_.find('\n', pos_ + scanned);
    if (lf != std::string::npos) {
      std::size_t end = lf > pos_ && buffer_[lf - 1] == '\r' ? lf - 1 : lf;
      if (end - pos_ > limits_.lineLength) throw HttpError("Max line length exceeded.");
      line.assign(buffer_, pos_, end - pos_);
      lastLineBytes_ = lf + 1 - pos_;
      pos_ = lf + 1;
      return true;
    }
    scanned = buffer_.size() - pos_;
    // Even a CR LF arriving next could not bring the line back under the limit.
    if (scanned > limits_.lineLength + 1) throw HttpError("Max line length exceeded.");
    if (!Fill()) {
      line.assign(buffer_, pos_, std::string::npos);
      lastLineBytes_ = buffer_.size() - pos_;
      pos_ = buffer_.size();
      return false;
    }
  }
}

std::size_t ResponseReader::Read(std::size_t count, std::string& out) {
  std::size_t taken = std::min(count, buffer_.size() - pos_);
  out.append(buffer_, pos_, taken);
  pos_ += taken;
  // The rest is received straight into place, a few receives' worth at a time (a declared
  // length is not taken on trust), so the system's copy is the only one.
  while (taken < count && !closed_) {
    if (!Wait(readTimeoutMs_)) TimedOut();
    const std::size_t room = std::min(count - taken, kReceiveSize * 16);
    const std::size_t start = out.size();
    out.resize(start + room);
    std::size_t got = 0;
    try {
      while (got < room) {
        if (got > 0 && !connection_.WaitReadable(0)) break;
        const std::size_t n =
            connection_.Receive(out.data() + start + got, std::min(room - got, kReceiveSize));
        if (n == 0) {
          closed_ = true;
          break;
        }
        got += n;
      }
    } catch (...) {
      out.resize(start + got);
      throw;
    }
    out.resize(start + got);
    taken += got;
  }
  return taken;
}

void ResponseReader::ReadToClose(std::string& out, std::size_t limit) {
  out.append(buffer_, pos_, std::string::npos);
  pos_ = buffer_.size();
  while (out.size() <= limit) {
    if (ReceiveInto(out, kReceiveSize) == 0) return;
  }
  TooLarge();
}

void ResponseReader::ReadFor(int waitMs, std::string& out, std::size_t limit) {
  std::size_t taken = std::min(limit + 1, buffer_.size() - pos_);
  out.append(buffer_, pos_, taken);
  pos_ += taken;
  const std::uint32_t start = platform::TickCount();
  while (!closed_ && out.size() <= limit) {
    std::uint32_t spent = platform::TickCount() - start;
    if (spent >= static_cast<std::uint32_t>(waitMs)) break;
    if (!Wait(waitMs - static_cast<int>(spent))) break;
    ReceiveInto(out, std::min(kReceiveSize, limit + 1 - out.size()));
  }
}

bool ResponseReader::WaitForData(int waitMs) {
  return HasBuffered() || closed_ || Wait(waitMs);
}

}  // namespace lantervo
