// Sockets with Windows-numbered errors, and the client's host and connect rules.
#include "platform/socket.h"

#include <gtest/gtest.h>

#include "monitor/http_client.h"
#include "monitor/http_error.h"
#include "monitor/socket_connection.h"
#include "tests/support/fake_resolver.h"
#include "tests/support/http_test_server.h"

namespace lantervo {
namespace {

std::string GetFailure(HttpClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const HttpError& e) {
    return e.what();
  }
  return "(no failure)";
}

TEST(SocketErrors, MessagesCarryTheWindowsNumberAndText) {
  EXPECT_EQ(platform::SocketErrorMessage(10061), "Socket Error # 10061\r\nConnection refused.");
  EXPECT_EQ(platform::SocketErrorMessage(11001), "Socket Error # 11001\r\nHost not found.");
  EXPECT_EQ(platform::SocketErrorMessage(10066), "Socket Error # 10066\r\nDirectory not empty");
  EXPECT_EQ(platform::SocketErrorMessage(10060), "Socket Error # 10060\r\nConnection timed out.");
  EXPECT_EQ(platform::SocketErrorMessage(12345), "Socket Error # 12345\r\n");
  EXPECT_EQ(platform::SocketError(10054).what(),
            std::string("Socket Error # 10054\r\nConnection reset by peer."));
  EXPECT_EQ(platform::SocketError(10054).Code(), 10054);
}

TEST(HostAddress, LocalhostLiteralsAndResolvedNames) {
  test::FakeResolver resolver({"known.test"});
  for (const char* name : {"localhost", "LOCALHOST", "LocalHost"}) {
    platform::IpAddress a = AddressOfHost(name, resolver);
    EXPECT_FALSE(a.v6);
    EXPECT_EQ(a.bytes[0], 127);
    EXPECT_EQ(a.bytes[3], 1);
  }
  platform::IpAddress literal = AddressOfHost("10.1.2.3", resolver);
  EXPECT_EQ(literal.bytes[0], 10);
  EXPECT_EQ(literal.bytes[3], 3);
  platform::IpAddress v6 = AddressOfHost("[::1]", resolver);
  EXPECT_TRUE(v6.v6);
  EXPECT_EQ(v6.bytes[15], 1);
  EXPECT_EQ(resolver.Lookups("localhost") + resolver.Lookups("10.1.2.3") + resolver.Lookups("::1"),
            0);
  AddressOfHost("known.test", resolver);
  EXPECT_EQ(resolver.Lookups("known.test"), 1);
  try {
    AddressOfHost("unknown.test", resolver);
    ADD_FAILURE() << "an unknown name resolved";
  } catch (const platform::SocketError& e) {
    EXPECT_EQ(e.Code(), 11001);
  }
}

TEST(Connect, FailuresReadAsOnWindows) {
  test::FakeResolver resolver({});
  HttpClientOptions options;
  options.resolver = &resolver;
  HttpClient client(options);
  EXPECT_EQ(GetFailure(client, "http://no-such-host.test/"),
            "Socket Error # 11001\r\nHost not found.");
  EXPECT_EQ(GetFailure(client, "http://127.0.0.1:" + std::to_string(test::ClosedPort()) + "/"),
            "Socket Error # 10061\r\nConnection refused.");
  EXPECT_EQ(GetFailure(client, "http://127.0.0.1:0/"),
            "Socket Error # 10049\r\nCannot assign requested address.");
}

TEST(Connect, PendingConnectTimesOut) {
  test::UnansweredPort port;
  HttpClientOptions options;
  options.connectTimeoutMs = 300;
  options.connectPollMs = 25;
  HttpClient client(options);
  EXPECT_EQ(GetFailure(client, "http://127.0.0.1:" + std::to_string(port.Port()) + "/"),
            "Connect timed out.");
}

TEST(Connect, ConnectsOverIpv6Literals) {
  // Skipped quietly where the machine has no IPv6 loopback: nothing else can be reached.
  platform::TcpSocket probe;
  try {
    probe = platform::TcpSocket::BeginConnect(*platform::ParseIpAddress("::1"), test::ClosedPort());
    while (!probe.FinishConnect(100)) {
    }
  } catch (const platform::SocketError& e) {
    if (e.Code() != 10061) GTEST_SKIP() << "no IPv6 loopback: " << e.what();
  }
  HttpClient client;
  EXPECT_EQ(GetFailure(client, "http://[::1]:" + std::to_string(test::ClosedPort()) + "/"),
            "Socket Error # 10061\r\nConnection refused.");
}

bool HasIpv6Loopback() {
  try {
    platform::TcpSocket probe =
        platform::TcpSocket::BeginConnect(*platform::ParseIpAddress("::1"), test::ClosedPort());
    while (!probe.FinishConnect(100)) {
    }
  } catch (const platform::SocketError& e) {
    return e.Code() == 10061;
  }
  return true;
}

HttpClientOptions WithResolver(platform::Resolver& resolver) {
  HttpClientOptions options;
  options.resolver = &resolver;
  options.connectTimeoutMs = 5000;
  return options;
}

// Resolution stays IPv4 first; only a name without any IPv4 address is tried over IPv6, each of
// its addresses in order. A literal is never looked up.
TEST(HostAddress, ANameWithoutIpv4IsTriedOverItsIpv6AddressesInOrder) {
  if (!HasIpv6Loopback()) GTEST_SKIP() << "no IPv6 loopback";
  test::HttpTestServer server(*platform::ParseIpAddress("::1"));
  server.AnswerAlways(test::HttpTestServer::Ok("over six"));
  test::FakeResolver resolver({"both.test"});
  // The first address refuses (nothing listens on 127.0.0.2 at that port), the second answers.
  resolver.AddIPv6("six.test", {*platform::ParseIpAddress("::ffff:127.0.0.2"),
                                *platform::ParseIpAddress("::1")});
  resolver.AddIPv6("both.test", {*platform::ParseIpAddress("::1")});
  HttpClient client(WithResolver(resolver));
  const std::string port = std::to_string(server.Port());
  EXPECT_EQ(client.Get("http://six.test:" + port + "/"), "over six");
  EXPECT_EQ(resolver.Lookups("six.test"), 1);
  EXPECT_EQ(resolver.IPv6Lookups("six.test"), 1);
  EXPECT_EQ(server.Requests().size(), 1u);

  // A name with an IPv4 address that fails is not tried again over IPv6: the outcome stays the
  // one an IPv4-only client gives.
  EXPECT_EQ(GetFailure(client, "http://both.test:" + port + "/"),
            "Socket Error # 10061\r\nConnection refused.");
  EXPECT_EQ(resolver.IPv6Lookups("both.test"), 0);
  // No address of either kind: the IPv4 lookup's answer, as before.
  EXPECT_EQ(GetFailure(client, "http://nowhere.test:" + port + "/"),
            "Socket Error # 11001\r\nHost not found.");
  EXPECT_EQ(resolver.IPv6Lookups("nowhere.test"), 1);
  // Every IPv6 address refuses: the last one's failure.
  resolver.AddIPv6("refusing.test",
                   {*platform::ParseIpAddress("::1"), *platform::ParseIpAddress("::1")});
  EXPECT_EQ(GetFailure(client, "http://refusing.test:" + std::to_string(test::ClosedPort()) + "/"),
            "Socket Error # 10061\r\nConnection refused.");
}

TEST(PeerCheck, SeesOpenClosedAndReset) {
  platform::TcpSocket listener = platform::TcpSocket::ListenLoopback(4);
  platform::IpAddress loopback = *platform::ParseIpAddress("127.0.0.1");
  auto connectPair = [&](platform::TcpSocket& client, platform::TcpSocket& server) {
    client = platform::TcpSocket::BeginConnect(loopback, listener.LocalPort());
    while (!client.FinishConnect(100)) {
    }
    ASSERT_TRUE(listener.WaitReadable(5000));
    server = listener.Accept();
  };
  platform::TcpSocket client, server;
  connectPair(client, server);
  EXPECT_EQ(client.CheckPeer(), platform::TcpSocket::PeerState::Open);
  server.SendAll("x");
  ASSERT_TRUE(client.WaitReadable(5000));
  EXPECT_EQ(client.CheckPeer(), platform::TcpSocket::PeerState::Open);  // data is not a close
  char byte;
  EXPECT_EQ(client.Receive(&byte, 1), 1u);
  server.Close();
  ASSERT_TRUE(client.WaitReadable(5000));
  EXPECT_EQ(client.CheckPeer(), platform::TcpSocket::PeerState::Closed);

  connectPair(client, server);
  server.Reset();
  ASSERT_TRUE(client.WaitReadable(5000));
  try {
    client.CheckPeer();
    ADD_FAILURE() << "a reset went unnoticed";
  } catch (const platform::SocketError& e) {
    EXPECT_EQ(e.Code(), 10054);
  }
}

}  // namespace
}  // namespace lantervo
