#include "monitor/cookie_store.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace lantervo {
namespace {

// 2024-01-01 00:00:00 UTC.
constexpr std::int64_t kJan2024 = 1704067200;

class CookieStoreTest : public testing::Test {
 protected:
  std::int64_t now_ = kJan2024;
  CookieStore store_{[this] { return now_; }};
};

TEST_F(CookieStoreTest, SendsMatchingCookiesJoined) {
  store_.Store("a=1", "example.com");
  store_.Store("b = 2 ; Path=/", "example.com");
  store_.Store("c=3; path=\"/docs\"", "example.com");
  EXPECT_EQ(store_.CookieHeader("example.com", "/"), "a=1; b=2");
  EXPECT_EQ(store_.CookieHeader("EXAMPLE.com", "/docs/x"), "a=1; b=2; c=3");
  EXPECT_EQ(store_.CookieHeader("other.com", "/"), "");
}

TEST_F(CookieStoreTest, PathMustPrefixTheRequestDirectory) {
  store_.Store("a=1; Path=/app", "h");
  store_.Store("b=2; Path=/app/page", "h");
  EXPECT_EQ(store_.CookieHeader("h", "/app"), "");  // the directory of "/app" is "/"
  EXPECT_EQ(store_.CookieHeader("h", "/app/"), "a=1");
  EXPECT_EQ(store_.CookieHeader("h", "/app/page"), "a=1");  // directory "/app/"
  EXPECT_EQ(store_.CookieHeader("h", "/app/page/x"), "a=1; b=2");
  EXPECT_EQ(store_.CookieHeader("h", "/application/"), "a=1");
}

TEST_F(CookieStoreTest, DomainRules) {
  EXPECT_TRUE(DomainMatches(".example.com", "www.Example.COM"));
  EXPECT_FALSE(DomainMatches(".example.com", "example.com"));
  EXPECT_TRUE(DomainMatches("Example.com", "example.COM"));
  EXPECT_FALSE(DomainMatches("example.com", "www.example.com"));
  EXPECT_TRUE(DomainMatches("127.0.0.1", "127.0.0.1"));
  EXPECT_FALSE(DomainMatches(".0.0.1", "127.0.0.1"));
  EXPECT_FALSE(DomainMatches("127.0.0.10", "127.0.0.1"));
  EXPECT_TRUE(DomainMatches("[::1]", "[::1]"));

  store_.Store("wide=1; Domain=.example.com", "www.example.com");
  store_.Store("host=2", "www.example.com");
  store_.Store("foreign=3; Domain=other.com", "www.example.com");  // dropped on receipt
  store_.Store("bare=4; Domain=example.com", "www.example.com");   // no leading dot: dropped
  store_.Store("ip=5; Domain=.0.0.1", "127.0.0.1");                // IP hosts match exactly
  ASSERT_EQ(store_.Cookies().size(), 2u);
  EXPECT_EQ(store_.CookieHeader("api.example.com", "/"), "wide=1");
  EXPECT_EQ(store_.CookieHeader("www.example.com", "/"), "wide=1; host=2");
}

TEST_F(CookieStoreTest, SameDomainAndNameReplaces) {
  store_.Store("a=1", "h");
  store_.Store("b=2", "h");
  store_.Store("a=3; Path=/x", "H");
  ASSERT_EQ(store_.Cookies().size(), 2u);
  EXPECT_EQ(store_.CookieHeader("h", "/x/"), "a=3; b=2");
  store_.Store("A=4", "h");  // names are case-sensitive
  EXPECT_EQ(store_.Cookies().size(), 3u);
}

TEST_F(CookieStoreTest, ExpiryByMaxAgeAndExpires) {
  store_.Store("gone=1; Max-Age=0", "h");
  store_.Store("soon=2; max-age=60", "h");
  store_.Store("dated=3; expires=Mon, 01-Jan-2024 00:10:00 GMT", "h");
  store_.Store("past=4; Expires=Sun, 31 Dec 2023 23:59:59 GMT", "h");
  store_.Store("both=5; Expires=Mon, 01 Jan 2024 01:00:00 GMT; Max-Age=1", "h");
  store_.Store("forever=6", "h");
  store_.RemoveExpired();
  EXPECT_EQ(store_.CookieHeader("h", "/"), "soon=2; dated=3; both=5; forever=6");
  now_ += 60;
  store_.RemoveExpired();
  EXPECT_EQ(store_.CookieHeader("h", "/"), "dated=3; both=5; forever=6");
  now_ = kJan2024 + 3600;
  store_.RemoveExpired();
  EXPECT_EQ(store_.CookieHeader("h", "/"), "forever=6");
}

TEST_F(CookieStoreTest, AReceivedExpiredCookieDeletesTheStoredOne) {
  store_.Store("s=1", "h");
  store_.Store("s=; Max-Age=0", "h");
  store_.RemoveExpired();
  EXPECT_TRUE(store_.Cookies().empty());
}

TEST_F(CookieStoreTest, SecureAndEmptyValuesAreStoredButNotSent) {
  store_.Store("s=1; Secure", "h");
  store_.Store("e=", "h");
  store_.Store("v=ok", "h");
  store_.Store("junk", "h");  // no name=value: ignored
  EXPECT_EQ(store_.Cookies().size(), 3u);
  EXPECT_EQ(store_.CookieHeader("h", "/"), "v=ok");
}

TEST_F(CookieStoreTest, StoresEverySetCookieHeaderOfAResponse) {
  HttpHeaders headers;
  headers.AddLine("Set-Cookie: a=1");
  headers.AddLine("set-cookie2: b=2");
  headers.AddLine("SET-COOKIE: c=3");
  headers.AddLine("Cookie: d=4");
  store_.StoreFrom(headers, "h");
  EXPECT_EQ(store_.CookieHeader("h", "/"), "a=1; b=2; c=3");
}

TEST_F(CookieStoreTest, HeaderKeepsStoreOrderAcrossDomains) {
  store_.Store("a=1; Domain=.example.com", "www.example.com");
  store_.Store("b=2", "www.example.com");
  store_.Store("c=3; Domain=.www.Example.com", "x.www.example.com");
  store_.Store("d=4", "X.www.example.com");
  store_.Store("e=5; Domain=.example.com", "x.www.example.com");
  store_.Store("a=6; Domain=.EXAMPLE.com", "www.example.com");  // replaces a, keeps its place
  EXPECT_EQ(store_.CookieHeader("x.WWW.example.com", "/"), "a=6; c=3; d=4; e=5");
  EXPECT_EQ(store_.CookieHeader("www.example.com", "/"), "a=6; b=2; e=5");
  EXPECT_EQ(store_.CookieHeader("example.com", "/"), "");
}

TEST_F(CookieStoreTest, IpHostsMatchOnlyThemselvesExactly) {
  store_.Store("v4=1", "127.0.0.1");
  store_.Store("v6=2", "[::A]");
  EXPECT_EQ(store_.CookieHeader("127.0.0.1", "/"), "v4=1");
  EXPECT_EQ(store_.CookieHeader("[::A]", "/"), "v6=2");
  EXPECT_EQ(store_.CookieHeader("[::a]", "/"), "");
  EXPECT_EQ(store_.CookieHeader("27.0.0.1", "/"), "");
}

// A domain keeps its newest 180 cookies: each new one past that pushes out the oldest stored,
// and a replaced cookie keeps its age.
TEST_F(CookieStoreTest, CapPerDomainEvictsTheOldest) {
  for (int i = 0; i < 200; ++i) store_.Store("c" + std::to_string(i) + "=1", "h");
  store_.Store("keep=1; Domain=.h", "www.h");
  ASSERT_EQ(store_.Size(), 181u);
  EXPECT_EQ(store_.Cookies().front().name, "c20");
  store_.Store("c20=2", "h");
  store_.Store("c200=1", "h");
  std::vector<Cookie> cookies = store_.Cookies();
  ASSERT_EQ(cookies.size(), 181u);
  EXPECT_EQ(cookies.front().name, "c21");
  EXPECT_EQ(cookies.back().name, "c200");
  EXPECT_EQ(store_.CookieHeader("www.h", "/"), "keep=1");
}

TEST_F(CookieStoreTest, CapOverallEvictsTheOldest) {
  for (int d = 0; d < 20; ++d) {
    for (int i = 0; i < 180; ++i) {
      store_.Store("c" + std::to_string(i) + "=1", "h" + std::to_string(d) + ".test");
    }
  }
  std::vector<Cookie> cookies = store_.Cookies();
  ASSERT_EQ(cookies.size(), 3000u);
  // 600 went: all of h0, h1 and h2, and the first 60 of h3.
  EXPECT_EQ(cookies.front().domain, "h3.test");
  EXPECT_EQ(cookies.front().name, "c60");
  EXPECT_EQ(store_.CookieHeader("h2.test", "/"), "");
  const std::string last = store_.CookieHeader("h19.test", "/");
  EXPECT_EQ(std::count(last.begin(), last.end(), ';'), 179);
  // Room made by expiry is used again without evicting.
  store_.Store("c60=1; Max-Age=0", "h3.test");
  store_.RemoveExpired();
  store_.Store("new=1", "h0.test");
  EXPECT_EQ(store_.Size(), 3000u);
  EXPECT_EQ(store_.Cookies().front().name, "c61");
}

TEST_F(CookieStoreTest, OversizedCookiesAreDroppedAndTheHeaderIsCapped) {
  store_.Store("n=" + std::string(4095, 'v'), "h");  // name and value: 4,096 bytes
  store_.Store("m=" + std::string(4096, 'v'), "h");  // 4,097: dropped
  store_.Store("o=" + std::string(4000, 'v'), "h");
  store_.Store("p=" + std::string(4000, 'v'), "h");  // would take the header past 8,190
  store_.Store("q=1", "h");                          // the header stops before p
  EXPECT_EQ(store_.Size(), 4u);
  EXPECT_EQ(store_.CookieHeader("h", "/"),
            "n=" + std::string(4095, 'v') + "; o=" + std::string(4000, 'v'));
}

TEST(CookieDate, CommonLayouts) {
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
  EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), 784111777);
  EXPECT_EQ(ParseHttpDate("Thu, 01-Jan-1970 00:00:00 GMT"), 0);
  EXPECT_EQ(ParseHttpDate("Wed, 29 Feb 2040 12:00:00 GMT"), 2214129600);
  EXPECT_EQ(ParseHttpDate("tomorrow"), std::nullopt);
  EXPECT_EQ(ParseHttpDate("Sun, 32 Nov 1994 08:49:37 GMT"), std::nullopt);
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 25:49:37 GMT"), std::nullopt);
}

}  // namespace
}  // namespace lantervo
