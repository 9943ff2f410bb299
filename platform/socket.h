#pragma once
// TCP sockets over IPv4 and IPv6 whose failures carry Windows socket error numbers on every
// platform, so that "Socket Error # 10061" reads the same on Linux as on Windows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lantervo::platform {

// The text for a Windows socket error number; empty for numbers without one.
std::string SocketErrorText(int code);
// "Socket Error # <code>" CR LF <text>.
std::string SocketErrorMessage(int code);

class SocketError : public std::runtime_error {
 public:
  explicit SocketError(int code) : std::runtime_error(SocketErrorMessage(code)), code_(code) {}
  int Code() const { return code_; }

 private:
  int code_;
};

// A native socket error (errno on Linux) as the Windows socket layer numbers it.
int SocketErrorFromNative(int nativeError);
// A name resolver failure (getaddrinfo's result) as the Windows socket layer numbers it.
int SocketErrorFromResolver(int resolverError);

struct IpAddress {
  bool v6 = false;
  std::array<unsigned char, 16> bytes{};  // the first four hold an IPv4 address
};

// A dotted IPv4 literal, or an IPv6 literal without brackets; nothing for anything else.
std::optional<IpAddress> ParseIpAddress(const std::string& text);

// Name resolution, behind an interface so that tests can make a name fail without DNS.
class Resolver {
 public:
  virtual ~Resolver() = default;
  // The first IPv4 address of the name. Throws SocketError (11001 for an unknown name).
  virtual IpAddress ResolveIPv4(const std::string& name) = 0;
  // Every IPv6 address of the name, in the resolver's order, for a name that has no IPv4 one.
  // Throws SocketError (11001 when there is none); a resolver that knows no IPv6 knows none.
  virtual std::vector<IpAddress> ResolveIPv6(const std::string& name);
};
// The operating system's resolver; no time limit of its own.
Resolver& SystemResolver();

class TcpSocket {
 public:
  TcpSocket() = default;
  ~TcpSocket() { Close(); }
  TcpSocket(TcpSocket&& other) noexcept : handle_(other.handle_) { other.handle_ = kInvalid; }
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;

  // Starts a connect that completes in the background. Throws SocketError.
  static TcpSocket BeginConnect(const IpAddress& address, std::uint16_t port);
  // Waits up to waitMs for the connect to finish: true once connected, false while pending.
  // Throws SocketError when the attempt failed.
  bool FinishConnect(int waitMs);

  // A listening socket on 127.0.0.1 with an ephemeral port.
  static TcpSocket ListenLoopback(int backlog);
  // A listening socket on the address and port (0: an ephemeral one). A port that another
  // program listens on is refused (10048), also on Windows, where the socket is exclusive.
  // Throws SocketError.
  static TcpSocket Listen(const IpAddress& address, std::uint16_t port, int backlog);
  std::uint16_t LocalPort() const;
  // Takes the next pending connection; call after WaitReadable said one is there.
  TcpSocket Accept();

  // True when a Receive (or Accept) would not block: data, the peer's close, or an error.
  bool WaitReadable(int waitMs);
  // Up to `size` bytes; 0 when the peer has closed. Blocks while nothing is there.
  std::size_t Receive(char* buffer, std::size_t size);
  enum class PeerState { Open, Closed };
  // Looks at the connection without waiting; throws SocketError when it found an error.
  PeerState CheckPeer();
  // Writes all bytes. Throws SocketError.
  void SendAll(std::string_view bytes);
  // Writes what the connection takes within waitMs (0 when it takes nothing then), so that a
  // peer that does not read never holds the sender longer. Throws SocketError.
  std::size_t SendSome(std::string_view bytes, int waitMs);
  void SetNoDelay();
  void ShutdownSend();
  // Closes so that the peer sees a reset instead of an orderly close.
  void Reset();
  void Close();
  bool IsOpen() const { return handle_ != kInvalid; }

 private:
  static constexpr std::uintptr_t kInvalid = ~std::uintptr_t{0};
  explicit TcpSocket(std::uintptr_t handle) : handle_(handle) {}
  std::uintptr_t handle_ = kInvalid;
};

inline TcpSocket& TcpSocket::operator=(TcpSocket&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    other.handle_ = kInvalid;
  }
  return *this;
}

}  // namespace lantervo::platform
