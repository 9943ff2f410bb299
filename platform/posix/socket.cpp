#include "platform/socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace lantervo::platform {

int SocketErrorFromNative(int e) {
  switch (e) {
    case EINTR:
      return 10004;
    case EBADF:
      return 10009;
    case EACCES:
    case EPERM:
      return 10013;
    case EFAULT:
      return 10014;
    case EINVAL:
      return 10022;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EWOULDBLOCK:
      return 10035;
    case EINPROGRESS:
      return 10036;
    case EALREADY:
      return 10037;
    case ENOTSOCK:
      return 10038;
    case EDESTADDRREQ:
      return 10039;
    case EMSGSIZE:
      return 10040;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return 10043;
    case ESOCKTNOSUPPORT:
      return 10044;
    case EOPNOTSUPP:
      return 10045;
    case EPFNOSUPPORT:
      return 10046;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return 10048;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ENETRESET:
      return 10052;
    case ECONNABORTED:
      return 10053;
    // Linux reports a write after the peer's reset as a broken pipe; Windows as the reset.
    case EPIPE:
    case ECONNRESET:
      return 10054;
    case ENOBUFS:
    case ENOMEM:
      return 10055;
    case EISCONN:
      return 10056;
    case ENOTCONN:
      return 10057;
    case ESHUTDOWN:
      return 10058;
    case ETOOMANYREFS:
      return 10059;
    case ETIMEDOUT:
      return 10060;
    case ECONNREFUSED:
      return 10061;
    case ELOOP:
      return 10062;
    case ENAMETOOLONG:
      return 10063;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    case ENOTEMPTY:
      return 10066;
    default:
      return e;
  }
}

int SocketErrorFromResolver(int r) {
  switch (r) {
    case EAI_SYSTEM:
      return SocketErrorFromNative(errno);
    case EAI_MEMORY:
      return 10055;
    case EAI_FAMILY:
      return 10047;
    case EAI_SOCKTYPE:
      return 10044;
    case EAI_BADFLAGS:
      return 10022;
    // Every "no such name" answer, and a missing network (which Linux calls a temporary
    // failure), reads as the Windows resolver's "Host not found.".
    default:
      return 11001;
  }
}

namespace {

[[noreturn]] void ThrowErrno() {
  throw SocketError(SocketErrorFromNative(errno));
}

int Fd(std::uintptr_t handle) {
  return static_cast<int>(handle);
}

int PollFor(int fd, short events, int waitMs) {
  pollfd p{fd, events, 0};
  for (;;) {
    int n = poll(&p, 1, waitMs < 0 ? 0 : waitMs);
    if (n >= 0) return n == 0 ? 0 : p.revents;
    if (errno != EINTR) ThrowErrno();
  }
}

socklen_t ToSockaddr(const IpAddress& address, std::uint16_t port, sockaddr_storage& storage) {
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

class PosixResolver : public Resolver {
 public:
  IpAddress ResolveIPv4(const std::string& name) override {
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
  IpAddress address;
  if (inet_pton(AF_INET, text.c_str(), address.bytes.data()) == 1) return address;
  address.v6 = true;
  if (inet_pton(AF_INET6, text.c_str(), address.bytes.data()) == 1) return address;
  return std::nullopt;
}

Resolver& SystemResolver() {
  static PosixResolver resolver;
  return resolver;
}

TcpSocket TcpSocket::BeginConnect(const IpAddress& address, std::uint16_t port) {
  int fd = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) ThrowErrno();
  TcpSocket s(static_cast<std::uintptr_t>(fd));
  sockaddr_storage storage;
  socklen_t length = ToSockaddr(address, port, storage);
  if (connect(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0 && errno != EINPROGRESS) {
    ThrowErrno();
  }
  return s;
}

bool TcpSocket::FinishConnect(int waitMs) {
  if (PollFor(Fd(handle_), POLLOUT, waitMs) == 0) return false;
  int error = 0;
  socklen_t length = sizeof error;
  if (getsockopt(Fd(handle_), SOL_SOCKET, SO_ERROR, &error, &length) != 0) ThrowErrno();
  if (error != 0) throw SocketError(SocketErrorFromNative(error));
  // Back to blocking: every later read is preceded by a wait with its own limit.
  int flags = fcntl(Fd(handle_), F_GETFL);
  fcntl(Fd(handle_), F_SETFL, flags & ~O_NONBLOCK);
  return true;
}

TcpSocket TcpSocket::ListenLoopback(int backlog) {
  IpAddress loopback;
  loopback.bytes = {127, 0, 0, 1};
  return Listen(loopback, 0, backlog);
}

TcpSocket TcpSocket::Listen(const IpAddress& address, std::uint16_t port, int backlog) {
  int fd = socket(address.v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) ThrowErrno();
  TcpSocket s(static_cast<std::uintptr_t>(fd));
  // A port whose last connections still linger (TIME_WAIT) may be taken again; one that a
  // listener holds may not, which Linux refuses by itself.
  int on = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_storage storage;
  socklen_t length = ToSockaddr(address, port, storage);
  if (bind(fd, reinterpret_cast<sockaddr*>(&storage), length) != 0) ThrowErrno();
  if (listen(fd, backlog) != 0) ThrowErrno();
  return s;
}

std::uint16_t TcpSocket::LocalPort() const {
  sockaddr_storage storage{};
  socklen_t length = sizeof storage;
  if (getsockname(Fd(handle_), reinterpret_cast<sockaddr*>(&storage), &length) != 0) ThrowErrno();
  if (storage.ss_family == AF_INET6)
    return ntohs(reinterpret_cast<sockaddr_in6*>(&storage)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&storage)->sin_port);
}

TcpSocket TcpSocket::Accept() {
  for (;;) {
    int fd = accept4(Fd(handle_), nullptr, nullptr, SOCK_CLOEXEC);
    if (fd >= 0) return TcpSocket(static_cast<std::uintptr_t>(fd));
    if (errno != EINTR) ThrowErrno();
  }
}

bool TcpSocket::WaitReadable(int waitMs) {
  return PollFor(Fd(handle_), POLLIN, waitMs) != 0;
}

std::size_t TcpSocket::Receive(char* buffer, std::size_t size) {
  for (;;) {
    ssize_t n = recv(Fd(handle_), buffer, size, 0);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno != EINTR) ThrowErrno();
  }
}

TcpSocket::PeerState TcpSocket::CheckPeer() {
  if (PollFor(Fd(handle_), POLLIN, 0) == 0) return PeerState::Open;
  char byte;
  for (;;) {
    ssize_t n = recv(Fd(handle_), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) return PeerState::Open;
    if (n == 0) return PeerState::Closed;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return PeerState::Open;
    if (errno != EINTR) ThrowErrno();
  }
}

void TcpSocket::SendAll(std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = send(Fd(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      ThrowErrno();
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

std::size_t TcpSocket::SendSome(std::string_view bytes, int waitMs) {
  if (bytes.empty() || PollFor(Fd(handle_), POLLOUT, waitMs) == 0) return 0;
  for (;;) {
    ssize_t n = send(Fd(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return static_cast<std::size_t>(n);
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    if (errno != EINTR) ThrowErrno();
  }
}

void TcpSocket::SetNoDelay() {
  int on = 1;
  setsockopt(Fd(handle_), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

void TcpSocket::ShutdownSend() {
  shutdown(Fd(handle_), SHUT_WR);
}

void TcpSocket::Reset() {
  if (!IsOpen()) return;
  linger l{1, 0};
  setsockopt(Fd(handle_), SOL_SOCKET, SO_LINGER, &l, sizeof l);
  Close();
}

void TcpSocket::Close() {
  if (!IsOpen()) return;
  ::close(Fd(handle_));
  handle_ = kInvalid;
}

}  // namespace lantervo::platform
