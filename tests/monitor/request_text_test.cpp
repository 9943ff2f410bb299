// The text the client writes (request heads, form bodies) and how it reads body text.
#include <gtest/gtest.h>

#include "monitor/body_text.h"
#include "monitor/form_encoding.h"
#include "monitor/request_head.h"

namespace lantervo {
namespace {

const char kFixedLines[] =
    "Accept: text/html, */*\r\n"
    "Accept-Encoding: identity\r\n"
    "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n";

TEST(RequestHead, GetLinesInOrder) {
  RequestHead head;
  head.target = "/a?b=1";
  head.host = "example.com";
  EXPECT_EQ(BuildRequestHead(head),
            std::string("GET /a?b=1 HTTP/1.1\r\nHost: example.com\r\n") + kFixedLines + "\r\n");
  head.cookie = "a=1; b=2";
  head.authorization = "Basic eDp5";
  EXPECT_EQ(BuildRequestHead(head), std::string("GET /a?b=1 HTTP/1.1\r\nHost: example.com\r\n") +
                                        kFixedLines +
                                        "Cookie: a=1; b=2\r\nAuthorization: Basic eDp5\r\n\r\n");
}

TEST(RequestHead, PostIsHttp10WithTheFormLinesBeforeHost) {
  RequestHead head;
  head.post = true;
  head.target = "/update";
  head.host = "h:8080";
  head.contentLength = 13;
  EXPECT_EQ(BuildRequestHead(head),
            std::string("POST /update HTTP/1.0\r\n"
                        "Connection: keep-alive\r\n"
                        "Content-Type: application/x-www-form-urlencoded\r\n"
                        "Content-Length: 13\r\n"
                        "Host: h:8080\r\n") +
                kFixedLines + "\r\n");
}

TEST(RequestHead, NonAsciiAndControlsInHeaderValuesBecomeQuestionMarks) {
  EXPECT_EQ(HeaderValueText("\xC5\xBEluv\xC3\xA9"), "?luv?");
  EXPECT_EQ(HeaderValueText("a\r\nX: b\x7F"), "a??X: b?");
  EXPECT_EQ(HeaderValueText("a\xE2\x82\xAC"), "a?");
  RequestHead head;
  head.target = "/";
  head.host = "\xC5\xBE.cz";
  EXPECT_EQ(BuildRequestHead(head).substr(0, 30), "GET / HTTP/1.1\r\nHost: ?.cz\r\nAc");
}

TEST(RequestHead, LongLinesFoldAfterBlankTabOrComma) {
  const std::string shortLine = "Cookie: " + std::string(1016, 'a');  // exactly 1024
  EXPECT_EQ(FoldHeaderLine(shortLine), shortLine);

  // Cookie pairs: the break falls after the last blank within the first 1024 characters.
  std::string value;
  for (int i = 0; i < 100; ++i)
    value += (i ? "; c" : "c") + std::to_string(i) + "=" + std::string(10, 'v');
  const std::string line = "Cookie: " + value;
  const std::string folded = FoldHeaderLine(line);
  std::size_t brk = folded.find("\r\n");
  ASSERT_NE(brk, std::string::npos);
  EXPECT_LE(brk, 1024u);
  EXPECT_EQ(folded[brk - 1], ';');
  EXPECT_EQ(folded[brk + 2], ' ');
  // Unfolding gives back the line.
  std::string unfolded = folded;
  for (std::size_t at; (at = unfolded.find("\r\n")) != std::string::npos;)
    unfolded.replace(at, 2, "");
  EXPECT_EQ(unfolded, line);
  for (std::size_t start = 0, end; start < folded.size(); start = end + 2) {
    end = folded.find("\r\n", start);
    if (end == std::string::npos) end = folded.size();
    EXPECT_LE(end - start, 1024u);
    if (start > 0) {
      EXPECT_EQ(folded[start], ' ');
    }
  }

  // A comma counts as a break; a line without any break point stays whole.
  const std::string commas = "X: " + std::string(1000, 'a') + "," + std::string(100, 'b');
  EXPECT_EQ(FoldHeaderLine(commas),
            "X: " + std::string(1000, 'a') + ",\r\n " + std::string(100, 'b'));
  const std::string solid = "X: " + std::string(2000, 'a');
  EXPECT_EQ(FoldHeaderLine(solid), solid);
}

TEST(RequestHead, BasicAuthorization) {
  EXPECT_EQ(BasicAuthorization("Aladdin", "open sesame"), "Basic QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
  EXPECT_EQ(BasicAuthorization("a", ""), "Basic YTo=");
  EXPECT_EQ(BasicAuthorization("ab", "c"), "Basic YWI6Yw==");
}

TEST(FormEncoding, ValuesEncodedNamesAndBareLinesKept) {
  EXPECT_EQ(EncodeForm({"a=1 2", "b=x&y"}), "a=1%202&b=x&y");
  EXPECT_EQ(EncodeForm({"a=1"}), "a=1");
  EXPECT_EQ(EncodeForm({"na me=v=w", "plain line", "x="}), "na me=v=w&plain line&x=");
  EXPECT_EQ(EncodeForm({"v=*#%<>[] +/=&"}), "v=%2A%23%25%3C%3E%5B%5D%20+/=&");
  EXPECT_EQ(EncodeForm({"v=a\tb\r\nc"}), "v=a%09b%0D%0Ac");
  EXPECT_EQ(EncodeForm({}), "");
}

TEST(FormEncoding, NonAsciiBecomesUtf8PercentBytes) {
  EXPECT_EQ(EncodeForm({"v=\xC5\xBE\xE2\x82\xAC\xF0\x9F\x98\x80"}),
            "v=%C5%BE%E2%82%AC%F0%9F%98%80");
  EXPECT_EQ(EncodeForm({"\xC5\xBE=1"}), "%C5%BE=1");
}

TEST(FormEncoding, WholeTextTrimmedBeforeJoining) {
  EXPECT_EQ(EncodeForm({"", "a=1", ""}), "a=1");
  EXPECT_EQ(EncodeForm({"  lead", "b=2"}), "lead&b=2");
  EXPECT_EQ(EncodeForm({"a=1", "", "b=2"}), "a=1&&b=2");
  // A single line keeps a CR LF of its own; with two lines or more it would become "&".
  EXPECT_EQ(EncodeForm({"x\r\ny"}), "x\r\ny");
  EXPECT_EQ(EncodeForm({"x\r\ny", "z"}), "x&y&z");
}

TEST(BodyText, CharsetValue) {
  EXPECT_EQ(CharsetOf("text/html; charset=utf-8"), "utf-8");
  EXPECT_EQ(CharsetOf("text/html; CHARSET = \"UTF-8\"; x=y"), "UTF-8");
  EXPECT_EQ(CharsetOf("text/html; Charset=windows-1250;q=1"), "windows-1250");
  EXPECT_EQ(CharsetOf("text/html; charset=\"utf8"), "utf8");
  EXPECT_EQ(CharsetOf("text/html"), "");
}

TEST(BodyText, Utf8OnlyByCharsetOtherwiseOneCharacterPerByte) {
  const std::string body =
      "\xC5\xBE"
      "a\xE9";
  EXPECT_EQ(BodyToText("\xC5\xBE\xC3\xA9", "text/html; charset=utf-8"), "\xC5\xBE\xC3\xA9");
  EXPECT_EQ(BodyToText("\xC5\xBE", "text/html; CHARSET=\"UTF8\""), "\xC5\xBE");
  EXPECT_EQ(BodyToText(body, "text/html; charset=windows-1250"),
            "\xC3\x85\xC2\xBE"
            "a\xC3\xA9");
  EXPECT_EQ(BodyToText(body, "text/html"),
            "\xC3\x85\xC2\xBE"
            "a\xC3\xA9");
  EXPECT_EQ(BodyToText(body, ""),
            "\xC3\x85\xC2\xBE"
            "a\xC3\xA9");
  // Malformed UTF-8 never fails; the byte-order mark stays.
  EXPECT_EQ(BodyToText("a\xFF"
                       "b",
                       "text/plain; charset=utf-8"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(BodyToText("\xEF\xBB\xBFx", "text/plain; charset=utf-8"), "\xEF\xBB\xBFx");
  EXPECT_EQ(BodyToText("\xEF\xBB\xBFx", ""), "\xC3\xAF\xC2\xBB\xC2\xBFx");
}

}  // namespace
}  // namespace lantervo
