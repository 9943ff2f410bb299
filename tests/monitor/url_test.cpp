#include "monitor/url.h"

#include <gtest/gtest.h>

#include "monitor/http_error.h"

namespace lantervo {
namespace {

Url Resolve(const std::string& text, const Url* base = nullptr) {
  return ResolveUrl(text, base);
}

std::string FailureOf(const std::string& text, const Url* base = nullptr) {
  try {
    ResolveUrl(text, base);
  } catch (const HttpError& e) {
    return e.what();
  }
  return "(no failure)";
}

TEST(Url, AbsoluteUrlsAndTheHostValue) {
  Url u = Resolve("http://example.com/");
  EXPECT_EQ(u.host, "example.com");
  EXPECT_EQ(u.port, 80);
  EXPECT_EQ(u.Target(), "/");
  EXPECT_EQ(u.HostAndPort(), "example.com");
  EXPECT_EQ(Resolve("http://example.com:8080/").HostAndPort(), "example.com:8080");
  EXPECT_EQ(Resolve("http://example.com:80/").HostAndPort(), "example.com");
  EXPECT_EQ(Resolve("HTTP://example.com").Target(), "/");  // nothing after the host
  EXPECT_EQ(Resolve("HTTPS://example.com").port, 443);
  EXPECT_TRUE(Resolve("HTTPS://example.com").IsHttps());
  EXPECT_EQ(Resolve("http://[::1]:8080/x").host, "[::1]");
  EXPECT_EQ(Resolve("http://[::1]:8080/x").port, 8080);
  EXPECT_EQ(Resolve("http://[::1]/x").HostAndPort(), "[::1]");
}

TEST(Url, TargetKeepsPathAndQueryAsWritten) {
  EXPECT_EQ(Resolve("http://h/a=b/c").Target(), "/a=b/c");
  EXPECT_EQ(Resolve("http://h/p?a=1?b=2").Target(), "/p?a=1?b=2");
  EXPECT_EQ(Resolve("http://h/p#frag").Target(), "/p");
  EXPECT_EQ(Resolve("http://h/p?q=1#frag?x").Target(), "/p?q=1");
  EXPECT_EQ(Resolve("http://h#frag").Target(), "/");
  EXPECT_EQ(Resolve("http:\\\\h\\a\\b?x=\\").Target(), "/a/b?x=/");
  EXPECT_EQ(Resolve("http://h/a%20b/./c").Target(), "/a%20b/./c");  // not decoded nor normalized
  EXPECT_EQ(Resolve("http://h/p?url=http://x/y").Target(), "/p?url=http://x/y");
  EXPECT_EQ(Resolve("http://h/a/http://x").host, "h");
}

TEST(Url, BytesARequestTargetMayNotHoldArePercentEncoded) {
  EXPECT_EQ(Resolve("http://h/\xC5\xBEluv?q=\xC3\xA9").Target(), "/%C5%BEluv?q=%C3%A9");
  EXPECT_EQ(Resolve("http://h/a\r\nX: y").Target(), "/a%0D%0AX:%20y");
  // A blank would end the target early and make the request line malformed.
  EXPECT_EQ(Resolve("http://h/a b?q=c d").Target(), "/a%20b?q=c%20d");
  EXPECT_EQ(Resolve("http://h/\"<>^`{|}\t\x7F").Target(), "/%22%3C%3E%5E%60%7B%7C%7D%09%7F");
  // What is allowed stays, reserved characters and existing escapes included.
  EXPECT_EQ(Resolve("http://h/a-._~!$&'()*+,;=:@%41/[x]?k=/?v").Target(),
            "/a-._~!$&'()*+,;=:@%41/[x]?k=/?v");
}

TEST(Url, UserInformation) {
  Url u = Resolve("http://user:pa:ss@host:81/x");
  EXPECT_TRUE(u.hasCredentials);
  EXPECT_EQ(u.user, "user");
  EXPECT_EQ(u.password, "pa:ss");
  EXPECT_EQ(u.host, "host");
  EXPECT_EQ(u.port, 81);
  Url v = Resolve("http://me@host/");
  EXPECT_TRUE(v.hasCredentials);
  EXPECT_EQ(v.user, "me");
  EXPECT_EQ(v.password, "");
  EXPECT_FALSE(Resolve("http://host/a@b").hasCredentials);
}

TEST(Url, RelativeUrlsResolveAgainstTheBase) {
  const Url base = Resolve("http://h:81/a/b/c?old=1");
  EXPECT_EQ(Resolve("d", &base).Target(), "/a/b/d");
  EXPECT_EQ(Resolve("../d", &base).Target(), "/a/d");
  EXPECT_EQ(Resolve("../../../../d", &base).Target(), "/d");
  EXPECT_EQ(Resolve("./d/./e/..", &base).Target(), "/a/b/d/");
  EXPECT_EQ(Resolve("", &base).Target(), "/a/b/");  // empty target: the base's directory
  EXPECT_EQ(Resolve("?q=1", &base).Target(), "/a/b/?q=1");
  EXPECT_EQ(Resolve("/x/../y", &base).Target(), "/x/../y");
  Url r = Resolve("d", &base);
  EXPECT_EQ(r.host, "h");
  EXPECT_EQ(r.port, 81);
  EXPECT_EQ(r.scheme, "http");
  EXPECT_FALSE(r.hasCredentials);
}

TEST(Url, MissingPartsComeFromTheBase) {
  const Url base = Resolve("http://h:81/a/");
  Url other = Resolve("//other/x", &base);  // names no scheme: keeps the base port
  EXPECT_EQ(other.host, "other");
  EXPECT_EQ(other.port, 81);
  EXPECT_EQ(Resolve("http://other/x", &base).port, 80);
  EXPECT_EQ(Resolve("http:///x", &base).host, "h");
  EXPECT_EQ(Resolve("http://", &base).Target(), "/");
  EXPECT_EQ(Resolve("ftp://other/x", &base).port, 81);
  const Url secure = Resolve("https://s/a/");
  EXPECT_TRUE(Resolve("/x", &secure).IsHttps());
  EXPECT_EQ(Resolve("/x", &secure).port, 443);
}

TEST(Url, NoPortKnownFailsAsUnknownProtocol) {
  EXPECT_EQ(FailureOf("/x"), "Unknown Protocol");
  EXPECT_EQ(FailureOf("ftp://h/"), "Unknown Protocol");
  EXPECT_EQ(FailureOf("ftp://h:21/"), "(no failure)");
  Url hostless = Resolve("http://");
  EXPECT_EQ(hostless.host, "");
  EXPECT_EQ(hostless.port, 80);
}

TEST(Url, UnusablePortsBecomeZero) {
  EXPECT_EQ(Resolve("http://h:abc/").port, 0);
  EXPECT_EQ(Resolve("http://h:65536/").port, 0);
  EXPECT_EQ(Resolve("http://h:/").port, 80);  // an empty port is no port
  EXPECT_EQ(Resolve("http://h:0080/").HostAndPort(), "h");
}

}  // namespace
}  // namespace lantervo
