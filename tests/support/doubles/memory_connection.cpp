#include "tests/support/doubles/memory_connection.h"

#include <algorithm>
#include <cstring>

#include "platform/socket.h"

namespace lantervo {

MemoryConnection::MemoryConnection(MemoryScript script, std::string* sent)
    : script_(std::move(script)), sent_(sent) {}

void MemoryConnection::Send(std::string_view bytes) {
  if (sent_) sent_->append(bytes);
}

bool MemoryConnection::WaitReadable(int) {
  return pos_ < script_.bytes.size() || script_.closeAtEnd;
}

std::size_t MemoryConnection::Receive(char* buffer, std::size_t size) {
  std::size_t left = script_.bytes.size() - pos_;
  if (left == 0) return 0;
  std::size_t piece = left;
  if (!script_.pieces.empty()) {
    piece = std::max<std::size_t>(1, script_.pieces[std::min(piece_, script_.pieces.size() - 1)]);
    ++piece_;
  }
  std::size_t n = std::min({piece, left, size});
  std::memcpy(buffer, script_.bytes.data() + pos_, n);
  pos_ += n;
  return n;
}

bool MemoryConnection::PeerOpen() {
  return pos_ < script_.bytes.size() || !script_.closeAtEnd;
}

MemoryConnector::MemoryConnector(std::vector<MemoryScript> scripts)
    : scripts_(std::move(scripts)) {}

std::vector<std::string> MemoryConnector::Sent() const {
  std::vector<std::string> sent;
  for (const auto& s : sent_) sent.push_back(*s);
  return sent;
}

std::unique_ptr<Connection> MemoryConnector::Connect(const std::string& host, int port) {
  if (next_ >= scripts_.size()) throw platform::SocketError(10061);
  endpoints_.push_back(host + ":" + std::to_string(port));
  sent_.push_back(std::make_unique<std::string>());
  return std::make_unique<MemoryConnection>(std::move(scripts_[next_++]), sent_.back().get());
}

}  // namespace lantervo
