#include "platform/socket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>

namespace lantervo::platform {

// Winsock already numbers its errors the way the messages do.
int SocketErrorFromNative(int e) {
  return e;
}
int SocketErrorFromResolver(int r) {
  return r;
}

namespace {

void StartWinsock() {
  static std::once_flag once;
  std::call_once(once, [] {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  });
}

[[noreturn]] void ThrowLast() {
  throw SocketError(WSAGetLastError());
}

SOCKET Sock(std::uintptr_t handle) {
  return static_cast<SOCKET>(handle);
}

// select() on one socket: readable/writable, or failed (the except set reports a failed
// connect). Returns 0 when the wait ran out.
int SelectOne(SOCKET s, bool forWrite, int waitMs) {
  fd_set main, failed;
  FD_ZERO(&main);
  FD_ZERO(&failed);
  FD_SET(s, &main);
  FD_SET(s, &failed);
  timeval tv{waitMs < 0 ? 0 : waitMs / 1000, waitMs < 0 ? 0 : (waitMs % 1000) * 1000};
  int n = select(0, forWrite ? nullptr : &main, forWrite ? &main : nullptr, &failed, &tv);
  if (n == SOCKET_ERROR) ThrowLast();
  return n;
}

int ToSockaddr(const IpAddress& address, std::uint16_t port, sockaddr_storage& storage) {
  std::memset(&storage, 0, sizeof storage);
  if (address.v6) {
    auto* a = reinterpret_cast<sockaddr_in6*>(&storage);
    a->sin6_family = AF_INET6;
    a->sin6_port = htons(port);
    std::memcpy(&a->sin6_addr, address.bytes.data(), 16);
    return sizeof(sockaddr_in6);
  }
  auto* a = reinterpret_cast<sockaddr_in*>(&storage);
  a->sin_family = AF_INET;
  a->sin_port = htons(port);
  std::memcpy(&a->sin_addr, address.bytes.data(), 4);
  return sizeof(sockaddr_in);
}

void SetBlocking(SOCKET s, bool blocking) {
  u_long nonBlocking = blocking ? 0 : 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
}

class WinsockResolver : public Resolver {
 public:
  IpAddress ResolveIPv4(const std::string& name) override {
    StartWinsock();
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int r = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (r != 0) throw SocketError(SocketErrorFromResolver(r));
    IpAddress address;
    bool found = false;
    for (addrinfo* a = list; a && !found; a = a->ai_next) {
      if (a->ai_family != AF_INET) continue;
      std::memcpy(address.bytes.data(), &reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr, 4);
      found = true;
    }
    freeaddrinfo(list);
    if (!found) throw SocketError(11001);
    return address;
  }
  std::vector<IpAddress> ResolveIPv6(const std::string& name) override {
    StartWinsock();
    addrinfo hints{};
    hints.ai_family = AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    int r = getaddrinfo(name.c_str(), nullptr, &hints, &list);
    if (r != 0) throw SocketError(SocketErrorFromResolver(r));
    std::vector<IpAddress> addresses;
    for (addrinfo* a = list; a; a = a->ai_next) {
      if (a->ai_family != AF_INET6) continue;
      IpAddress address;
      address.v6 = true;
      std::memcpy(address.bytes.data(), &reinterpret_cast<sockaddr_in6*>(a->ai_addr)->sin6_addr,
                  16);
      bool seen = false;
      for (const IpAddress& known : addresses) seen = seen || known.bytes == address.bytes;
      if (!seen) addresses.push_back(address);
    }
    freeaddrinfo(list);
    if (addresses.empty()) throw SocketError(11001);
    return addresses;
  }
};

}  // namespace

std::optional<IpAddress> ParseIpAddress(const std::string& text) {
  StartWinsock();
  IpAddress address;
  if (inet_pton(AF_INET, text.c_str(), address.bytes.data()) == 1) return address;
  address.v6 = true;
  if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) == 1) return address;
  return std::nullopt;
}

Resolver& SystemResolver() {
  static WinsockResolver resolver;
  return resolver;
}

TcpSocket TcpSocket::BeginConnect(const IpAddress& address, std::uint16_t port) {
  StartWinsock();
  SOCKET s = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) ThrowLast();
  TcpSocket result(static_cast<std::uintptr_t>(s));
  SetBlocking(s, false);
  sockaddr_storage storage;
  int length = ToSockaddr(address, port, storage);
  if (connect(s, reinterpret_cast<sockaddr*>(&storage), length) == SOCKET_ERROR &&
      WSAGetLastError() != WSAEWOULDBLOCK) {
    ThrowLast();
  }
  return result;
}

bool TcpSocket::FinishConnect(int waitMs) {
  if (SelectOne(Sock(handle_), true, waitMs) == 0) return false;
  int error = 0;
  int length = sizeof error;
  if (getsockopt(Sock(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) !=
      0) {
    ThrowLast();
  }
  if (error != 0) throw SocketError(error);
  // Back to blocking: every later read is preceded by a wait with its own limit.
  SetBlocking(Sock(handle_), true);
  return true;
}

TcpSocket TcpSocket::ListenLoopback(int backlog) {
  IpAddress loopback;
  loopback.bytes = {127, 0, 0, 1};
  return Listen(loopback, 0, backlog);
}

TcpSocket TcpSocket::Listen(const IpAddress& address, std::uint16_t port, int backlog) {
  StartWinsock();
  SOCKET s = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) ThrowLast();
  TcpSocket result(static_cast<std::uintptr_t>(s));
  // Without it another program could bind the same port over ours and take its connections.
  BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  sockaddr_storage storage;
  int length = ToSockaddr(address, port, storage);
  if (bind(s, reinterpret_cast<sockaddr*>(&storage), length) != 0) ThrowLast();
  if (listen(s, backlog) != 0) ThrowLast();
  return result;
}

std::uint16_t TcpSocket::LocalPort() const {
  sockaddr_storage storage{};
  int length = sizeof storage;
  if (getsockname(Sock(handle_), reinterpret_cast<sockaddr*>(&storage), &length) != 0) ThrowLast();
  if (storage.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

TcpSocket TcpSocket::Accept() {
  SOCKET s = accept(Sock(handle_), nullptr, nullptr);
  if (s == INVALID_SOCKET) ThrowLast();
  return TcpSocket(static_cast<std::uintptr_t>(s));
}

bool TcpSocket::WaitReadable(int waitMs) {
  return SelectOne(Sock(handle_), false, waitMs) != 0;
}

std::size_t TcpSocket::Receive(char* buffer, std::size_t size) {
  int want = size > 0x40000000 ? 0x40000000 : static_cast<int>(size);
  int n = recv(Sock(handle_), buffer, want, 0);
  if (n == SOCKET_ERROR) ThrowLast();
  return static_cast<std::size_t>(n);
}

TcpSocket::PeerState TcpSocket::CheckPeer() {
  WSAPOLLFD p{Sock(handle_), POLLRDNORM, 0};
  int ready = WSAPoll(&p, 1, 0);
  if (ready == SOCKET_ERROR) ThrowLast();
  if (ready == 0) return PeerState::Open;
  char byte;
  int n = recv(Sock(handle_), &byte, 1, MSG_PEEK);
  if (n > 0) return PeerState::Open;
  if (n == SOCKET_ERROR) ThrowLast();
  // Some socket layers (wine's) report a reset as the end of the stream; only the error flag
  // of the poll tells it from an orderly close.
  if (p.revents & POLLERR) {
    int error = 0;
    int length = sizeof error;
    getsockopt(Sock(handle_), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
    throw SocketError(error != 0 ? error : WSAECONNRESET);
  }
  return PeerState::Closed;
}

void TcpSocket::SendAll(std::string_view bytes) {
  while (!bytes.empty()) {
    int want = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<int>(bytes.size());
    int n = send(Sock(handle_), bytes.data(), want, 0);
    if (n == SOCKET_ERROR) ThrowLast();
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::size_t TcpSocket::SendSome(std::string_view bytes, int waitMs) {
  if (bytes.empty() || SelectOne(Sock(handle_), true, waitMs) == 0) return 0;
  // Non-blocking from here on: a blocking send would wait until the whole chunk is buffered.
  u_long nonBlocking = 1;
  ioctlsocket(Sock(handle_), FIONBIO, &nonBlocking);
  const int want = bytes.size() > 0x10000 ? 0x10000 : static_cast<int>(bytes.size());
  const int n = send(Sock(handle_), bytes.data(), want, 0);
  if (n != SOCKET_ERROR) return static_cast<std::size_t>(n);
  if (WSAGetLastError() == WSAEWOULDBLOCK) return 0;
  ThrowLast();
}

void TcpSocket::SetNoDelay() {
  BOOL on = TRUE;
  setsockopt(Sock(handle_), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on),
             sizeof on);
}

void TcpSocket::ShutdownSend() {
  shutdown(Sock(handle_), SD_SEND);
}

void TcpSocket::Reset() {
  if (!IsOpen()) return;
  linger l{1, 0};
  setsockopt(Sock(handle_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
  Close();
}

void TcpSocket::Close() {
  if (!IsOpen()) return;
  closesocket(Sock(handle_));
  handle_ = kInvalid;
}

}  // namespace lantervo::platform
