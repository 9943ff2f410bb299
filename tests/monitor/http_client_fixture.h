#pragma once
// A loopback server and a client with short waits, and the request bytes the client must send.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "monitor/http_client.h"
#include "monitor/http_error.h"
#include "tests/support/http_test_server.h"

namespace lantervo::test {

using Then = HttpTestServer::Then;

inline std::string GetRequest(const std::string& target, const std::string& host,
                              const std::string& extraLines = "") {
  return "GET " + target + " HTTP/1.1\r\nHost: " + host +
         "\r\nAccept: text/html, */*\r\nAccept-Encoding: identity\r\n"
         "User-Agent: Mozilla/3.0 (compatible; Indy Library)\r\n" +
         extraLines + "\r\n";
}

// The message of the failure of a GET, or "(no failure)".
inline std::string GetFailureOf(HttpClient& client, const std::string& url) {
  try {
    client.Get(url);
  } catch (const HttpError& e) {
    return e.what();
  }
  return "(no failure)";
}

class HttpClientTest : public testing::Test {
 protected:
  HttpClientTest() {
    options_.readTimeoutMs = 5000;
    options_.redirectBodyWaitMs = 100;
    options_.leftoverWaitMs = 50;
  }

  HttpClient& Client() {
    if (!client_) client_ = std::make_unique<HttpClient>(options_);
    return *client_;
  }
  std::string Host() const { return "127.0.0.1:" + std::to_string(server_.Port()); }
  std::string Url(const std::string& path) const { return server_.Url(path); }
  std::string GetFailure(const std::string& url) { return GetFailureOf(Client(), url); }
  std::string Request(std::size_t i) const {
    auto requests = server_.Requests();
    return i < requests.size() ? requests[i] : std::string("(no request)");
  }

  HttpTestServer server_;
  HttpClientOptions options_;
  std::unique_ptr<HttpClient> client_;
};

}  // namespace lantervo::test
