// Response reading from canned bytes, delivered in every piece size so each short read is hit.
#include "monitor/response.h"

#include <gtest/gtest.h>

#include "monitor/http_client.h"
#include "monitor/http_error.h"
#include "tests/support/doubles/memory_connection.h"

namespace lantervo {
namespace {

constexpr std::size_t kLimit = 1 << 20;

std::string FailureOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const HttpError& e) {
    return e.what();
  }
  return "(no failure)";
}

// Reads one response (head and body) from `bytes` arriving in pieces of `piece` bytes.
struct Read {
  ResponseHead head;
  std::string body;
};
Read ReadOne(const std::string& bytes, std::size_t piece, bool closeAtEnd = true) {
  MemoryConnection connection({bytes, {piece}, closeAtEnd}, nullptr);
  ResponseReader reader(connection, 1000);
  Read r;
  r.head = ReadResponseHead(reader);
  ReadBody(reader, r.head.headers, r.body, kLimit);
  return r;
}

TEST(StatusLine, CodeIsTheSecondField) {
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 404 Not Found"), 404);
  EXPECT_EQ(StatusCodeOf("HTTP/1.0 200"), 200);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 abc OK"), -1);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1  200 OK"), -1);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1"), -1);
  EXPECT_EQ(StatusCodeOf(""), -1);
  EXPECT_EQ(StatusCodeOf("HTTP/1.1 99999999999 X"), -1);
}

TEST(Response, HeadAndBodyInEveryPieceSize) {
  const std::string bytes =
      "HTTP/1.1 200 OK\r\nContent-Type: text/plain\nX-Dup: first\r\nx-dup: second\r\n"
      "X-Folded: a\r\n\tb\r\nContent-Length: 11\r\n\r\nhello world";
  for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
    SCOPED_TRACE(piece);
    Read r = ReadOne(bytes, piece);
    EXPECT_EQ(r.head.statusLine, "HTTP/1.1 200 OK");
    EXPECT_EQ(r.head.status, 200);
    EXPECT_EQ(r.head.headers.Value("content-type"), "text/plain");
    EXPECT_EQ(r.head.headers.Value("X-DUP"), "first");
    EXPECT_EQ(r.head.headers.Value("X-Folded"), "a b");
    EXPECT_EQ(r.body, "hello world");
  }
}

TEST(Response, ChunkedBodyInEveryPieceSize) {
  const std::string bytes =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: Chunked\r\n\r\n"
      "5 ignored\r\nhello\r\n1;ext=\"a b\"\r\nX\r\nA\t;x\r\n, chunked!\r\n"
      "0;last\r\nX-Trailer: 1\r\nX-Other: 2\r\n\r\n";
  for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
    SCOPED_TRACE(piece);
    // Chunk extensions after ";" and anything after a blank or tab are ignored.
    EXPECT_EQ(ReadOne(bytes, piece).body, "helloX, chunked!");
  }
  EXPECT_EQ(ReadOne("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                    "a\r\n0123456789\r\n3\r\nabc\r\n0\r\n\r\n",
                    3)
                .body,
            "0123456789abc");
}

// Trailer lines belong to the answer they end: the next answer on the connection starts after
// the empty line, in every piece size.
TEST(Response, TrailersAreReadUpToTheEmptyLine) {
  const std::string bytes =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
      "3\r\none\r\n0\r\nX-Checksum: abc\r\nX-More: 1\r\n\r\n"
      "HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\ntwo";
  for (std::size_t piece = 1; piece <= bytes.size(); piece += 2) {
    SCOPED_TRACE(piece);
    MemoryConnection connection({bytes, {piece}, false}, nullptr);
    ResponseReader reader(connection, 1000);
    std::string first, second;
    EXPECT_TRUE(ReadBody(reader, ReadResponseHead(reader).headers, first, kLimit));
    ResponseHead next = ReadResponseHead(reader);
    EXPECT_EQ(next.statusLine, "HTTP/1.1 200 OK");
    EXPECT_TRUE(ReadBody(reader, next.headers, second, kLimit));
    EXPECT_EQ(first, "one");
    EXPECT_EQ(second, "two");
  }
}

// A size line that is not hexadecimal ends the body after one more line, and says that the
// connection's framing is lost.
TEST(Response, UnreadableChunkSizeEndsTheBodyAndTheConnection) {
  for (const char* size : {"zz", ";ext", "", "80000000"}) {
    const std::string bytes = std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") +
                              "2\r\nok\r\n" + size + "\r\nnext line\r\nrest";
    MemoryConnection connection({bytes, {5}, false}, nullptr);
    ResponseReader reader(connection, 1000);
    std::string body;
    EXPECT_FALSE(ReadBody(reader, ReadResponseHead(reader).headers, body, kLimit)) << size;
    EXPECT_EQ(body, "ok") << size;
  }
}

TEST(Response, ChunkedBodyCutShortFails) {
  for (const char* cut : {"5\r\nhel", "5\r\nhello", "5\r\nhello\r\n", ""}) {
    std::string bytes = std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") + cut;
    EXPECT_EQ(FailureOf([&] { ReadOne(bytes, 4); }), "Connection Closed Gracefully.") << cut;
  }
  // After the last chunk the body is complete: a close in the trailer ends it.
  for (const char* cut :
       {"5\r\nhello\r\n0\r\n", "5\r\nhello\r\n0\r\nX-T: 1\r\n", "5\r\nhello\r\n0\r\nX-T: 1"}) {
    std::string bytes = std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") + cut;
    EXPECT_EQ(ReadOne(bytes, 4).body, "hello") << cut;
  }
}

// A head holds at most 1,000 header lines and 1 MiB, a folded value at most one line's length;
// a chunked body's trailer has the same caps.
TEST(Response, HeadCaps) {
  const std::string status = "HTTP/1.1 200 OK\r\n";
  auto lines = [](std::size_t count, const std::string& line) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += line;
    return text;
  };
  EXPECT_EQ(ReadOne(status + lines(999, "X: 1\r\n") + "Content-Length: 2\r\n\r\nok", 4096).body,
            "ok");
  EXPECT_EQ(FailureOf([&] { ReadOne(status + lines(1001, "X: 1\r\n") + "\r\n", 4096); }),
            "Response header too large.");
  // 64 lines of 16,000 bytes stay under 1 MiB; 66 do not.
  const std::string wide = "X: " + std::string(15995, 'w') + "\r\n";
  EXPECT_EQ(ReadOne(status + lines(64, wide) + "\r\n", 65536).head.headers.Fields().size(), 64u);
  EXPECT_EQ(FailureOf([&] { ReadOne(status + lines(66, wide) + "\r\n", 65536); }),
            "Response header too large.");

  // 64 characters and 255 continuations that add 64 each fold to 16,384; one more fails.
  const std::string folded =
      "X: " + std::string(64, 'a') + "\r\n" + lines(255, " " + std::string(63, 'b') + "\r\n");
  EXPECT_EQ(ReadOne(status + folded + "\r\n", 4096).head.headers.Value("X").size(), 16384u);
  EXPECT_EQ(FailureOf([&] { ReadOne(status + folded + "\tb\r\n\r\n", 4096); }),
            "Max line length exceeded.");

  const std::string chunked = status + "Transfer-Encoding: chunked\r\n\r\n2\r\nok\r\n0\r\n";
  EXPECT_EQ(ReadOne(chunked + lines(1000, "T: 1\r\n") + "\r\n", 4096).body, "ok");
  EXPECT_EQ(FailureOf([&] { ReadOne(chunked + lines(1001, "T: 1\r\n") + "\r\n", 4096); }),
            "Response header too large.");
}

TEST(Response, ContentLengthRules) {
  const std::string head = "HTTP/1.1 200 OK\r\n";
  // A short read returns what came.
  EXPECT_EQ(ReadOne(head + "Content-Length: 100\r\n\r\n" + std::string(60, 'x'), 7).body,
            std::string(60, 'x'));
  // Zero means no body even when more bytes follow.
  EXPECT_EQ(ReadOne(head + "Content-Length: 0\r\n\r\nextra", 5).body, "");
  EXPECT_EQ(ReadOne(head + "Content-Length:  4 \r\n\r\nbodyextra", 5).body, "body");
  // Negative, unreadable or overflowing lengths count as absent: read to the close.
  for (const char* bad : {"-1", "abc", "4x", "99999999999", ""}) {
    EXPECT_EQ(ReadOne(head + "Content-Length: " + bad + "\r\n\r\nall of it", 3).body, "all of it")
        << bad;
  }
  EXPECT_EQ(ReadOne(head + "\r\nuntil close", 2).body, "until close");
}

TEST(Response, ClosesAndLimits) {
  EXPECT_EQ(FailureOf([] { ReadOne("", 1); }), "Connection Closed Gracefully.");
  EXPECT_EQ(FailureOf([] { ReadOne("HTTP/1.1 200 O", 1); }), "Connection Closed Gracefully.");
  // A close among the headers ends them; a partial last line still counts.
  Read r = ReadOne("HTTP/1.1 200 OK\r\nA: 1\r\nB: 2", 2);
  EXPECT_EQ(r.head.headers.Value("A"), "1");
  EXPECT_EQ(r.head.headers.Value("B"), "2");
  EXPECT_EQ(r.body, "");
  // Lines up to 16384 characters pass, one more fails.
  const std::string fits = "X: " + std::string(16384 - 3, 'a');
  EXPECT_EQ(ReadOne("HTTP/1.1 200 OK\r\n" + fits + "\r\n\r\n", 1000).head.headers.Value("X").size(),
            16381u);
  EXPECT_EQ(FailureOf([&] { ReadOne("HTTP/1.1 200 OK\r\n" + fits + "a\r\n\r\n", 1000); }),
            "Max line length exceeded.");
  EXPECT_EQ(FailureOf([] { ReadOne("HTTP/1.1 " + std::string(20000, '1'), 999); }),
            "Max line length exceeded.");
  // A peer that goes silent runs into the read timeout.
  EXPECT_EQ(FailureOf([] { ReadOne("HTTP/1.1 200 OK\r\nContent-Length: 9\r\n\r\nabc", 5, false); }),
            "Read timed out.");
}

TEST(Response, BodyLimit) {
  auto readLimited = [](const std::string& bytes, std::size_t limit) {
    MemoryConnection connection({bytes, {3}, true}, nullptr);
    ResponseReader reader(connection, 1000);
    ResponseHead head = ReadResponseHead(reader);
    std::string body;
    ReadBody(reader, head.headers, body, limit);
    return body;
  };
  const std::string ok = "HTTP/1.1 200 OK\r\n";
  EXPECT_EQ(readLimited(ok + "Content-Length: 10\r\n\r\n0123456789", 10), "0123456789");
  EXPECT_EQ(readLimited(ok + "\r\n0123456789", 10), "0123456789");
  EXPECT_EQ(readLimited(ok + "Content-Length: 20\r\n\r\n0123456789", 10), "0123456789");
  for (const std::string& big :
       {ok + "Content-Length: 11\r\n\r\n01234567890", ok + "\r\n01234567890",
        ok + "Transfer-Encoding: chunked\r\n\r\n6\r\n012345\r\n5\r\n67890\r\n0\r\n\r\n"}) {
    EXPECT_EQ(FailureOf([&] { readLimited(big, 10); }), "Response too large.") << big;
  }
}

// The whole client over canned connections: every piece size of a redirect, a 100 answer and a
// chunked final answer gives the same result and the same request bytes.
TEST(Response, ClientOverCannedBytesInEveryPieceSize) {
  const std::string answers =
      "HTTP/1.1 302 Found\r\nLocation: /next\r\nSet-Cookie: s=1\r\nContent-Length: 4\r\n\r\nmove"
      "HTTP/1.1 100 Continue\r\n\r\n"
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Type: text/plain; charset=utf-8"
      "\r\n\r\n2\r\n\xC5\xBE\r\n0\r\n\r\n";
  for (std::size_t piece = 1; piece <= answers.size(); piece += 3) {
    SCOPED_TRACE(piece);
    auto connector =
        std::make_shared<MemoryConnector>(std::vector<MemoryScript>{{answers, {piece}, false}});
    HttpClientOptions options;
    options.connector = connector;
    HttpClient client(options);
    EXPECT_EQ(client.Get("http://example.com/start"), "\xC5\xBE");
    ASSERT_EQ(connector->Sent().size(), 1u);
    EXPECT_EQ(connector->Endpoints()[0], "example.com:80");
    const std::string sent = connector->Sent()[0];
    EXPECT_EQ(sent.find("GET /start HTTP/1.1\r\nHost: example.com\r\n"), 0u);
    EXPECT_NE(sent.find("GET /next HTTP/1.1\r\n"), std::string::npos);
    EXPECT_NE(sent.find("Indy Library)\r\nCookie: s=1\r\n\r\n"), std::string::npos);
  }
}

}  // namespace
}  // namespace lantervo
