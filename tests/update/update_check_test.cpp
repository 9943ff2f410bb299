// The update check against the loopback server: the request it sends, every form of reply, the
// failures it swallows, CheckUpdate, and a check abandoned while its request is under way.
#include "update/update_check.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "monitor/http_client.h"
#include "tests/support/http_test_server.h"
#include "tests/support/quick_http_options.h"
#include "tests/update/gated_connector.h"

namespace lantervo::test {
namespace {

using Then = HttpTestServer::Then;

struct Shown {
  std::string current;
  std::string newest;
};

class UpdateCheckTest : public testing::Test {
 protected:
  std::unique_ptr<HttpClient> Client(std::shared_ptr<Connector> connector = nullptr) {
    HttpClientOptions options = QuickHttpOptions();
    options.connector = std::move(connector);
    return std::make_unique<HttpClient>(options);
  }

  UpdateCheckHooks Hooks() {
    UpdateCheckHooks hooks;
    hooks.checkUpdate = [this] {
      ++checkUpdateReads;
      return checkUpdate;
    };
    hooks.showUpdate = [this](const std::string& current, const std::string& newest) {
      EXPECT_TRUE(handOffs->OnUserInterfaceThread());
      shown.push_back({current, newest});
    };
    return hooks;
  }

  // Runs one check against the server to its end, carrying out its hand-off.
  void RunCheck(const std::string& endpoint) {
    TLTVUpdate check(endpoint, handOffs, Client(), Hooks());
    check.Start();
    check.WaitFor();
    EXPECT_TRUE(check.RunEnd()->Ended());
  }

  std::shared_ptr<HandOffQueue> handOffs = std::make_shared<HandOffQueue>();
  HttpTestServer server;
  bool checkUpdate = true;
  int checkUpdateReads = 0;
  std::vector<Shown> shown;
};

TEST_F(UpdateCheckTest, PostsTheThreeFormLinesToTheEndpointAsHttp10) {
  server.Answer(HttpTestServer::Ok("x\n"), Then::Close);
  RunCheck(server.Url("/"));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(request.rfind("POST / HTTP/1.0\r\n", 0), 0u) << request;
  EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos)
      << request;
  const std::string body = "application=lantervo&action=checkupdate&version=0.9.19";
  EXPECT_EQ(request.substr(request.size() - body.size() - 4), "\r\n\r\n" + body) << request;
  EXPECT_TRUE(shown.empty());
}

struct ReplyCase {
  const char* name;
  std::string body;
  std::optional<std::string> newest;  // none: nothing is shown
};

class UpdateReplyTest : public UpdateCheckTest, public testing::WithParamInterface<ReplyCase> {};

TEST_P(UpdateReplyTest, TheSecondLineAloneDecides) {
  server.Answer(HttpTestServer::Ok(GetParam().body), Then::Close);
  RunCheck(server.Url("/"));
  EXPECT_EQ(server.Requests().size(), 1u);
  if (GetParam().newest) {
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].current, "0.9.19");
    EXPECT_EQ(shown[0].newest, *GetParam().newest);
  } else {
    EXPECT_TRUE(shown.empty()) << shown[0].newest;
  }
  EXPECT_EQ(AnnouncedVersion(GetParam().body), GetParam().newest);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, UpdateReplyTest,
    testing::Values(ReplyCase{"Announced", "x\nUPDATE0.9.20\n", "0.9.20"},
                    ReplyCase{"FurtherLinesIgnored", "x\nUPDATE0.9.20\nUPDATE9\nmore", "0.9.20"},
                    ReplyCase{"NoFinalLineFeed", "x\nUPDATE0.9.20", std::nullopt},
                    ReplyCase{"FirstLineNeverRead", "UPDATE0.9.20\n", std::nullopt},
                    ReplyCase{"FirstLineOnlyTwice", "UPDATE0.9.20\nUPDATE0.9.21", std::nullopt},
                    ReplyCase{"LowerCase", "x\nupdate0.9.20\n", std::nullopt},
                    ReplyCase{"WordAloneEmptyVersion", "x\nUPDATE\n", ""},
                    ReplyCase{"CrLfKeepsTheCr", "x\r\nUPDATE0.9.20\r\n", "0.9.20\r"},
                    ReplyCase{"BlankKept", "x\nUPDATE 1.0\n", " 1.0"},
                    ReplyCase{"ShortOfTheWord", "x\nUPDAT\n", std::nullopt},
                    ReplyCase{"EmptySecondLine", "x\n\nUPDATE1\n", std::nullopt},
                    ReplyCase{"Empty", "", std::nullopt}),
    [](const testing::TestParamInfo<ReplyCase>& info) { return info.param.name; });

TEST_F(UpdateCheckTest, CheckUpdateOffStillSendsTheRequestButShowsNothing) {
  checkUpdate = false;
  server.Answer(HttpTestServer::Ok("x\nUPDATE0.9.20\n"), Then::Close);
  RunCheck(server.Url("/"));
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(checkUpdateReads, 1);
  EXPECT_TRUE(shown.empty());
}

TEST_F(UpdateCheckTest, CheckUpdateIsNotReadWhenNothingIsAnnounced) {
  server.Answer(HttpTestServer::Ok("x\nnothing new\n"), Then::Close);
  RunCheck(server.Url("/"));
  EXPECT_EQ(checkUpdateReads, 0);
}

TEST_F(UpdateCheckTest, EveryFailureOfTheRequestPassesWithoutATrace) {
  const std::string announcement = "x\nUPDATE0.9.20\n";
  // An error status, even with an announcing body.
  server.Answer("HTTP/1.1 500 Internal Server Error\r\nContent-Length: " +
                    std::to_string(announcement.size()) + "\r\n\r\n" + announcement,
                Then::Close);
  RunCheck(server.Url("/"));
  // A redirect to https, which the client does not follow.
  server.Answer(HttpTestServer::Redirect("https://127.0.0.1/"), Then::Close);
  RunCheck(server.Url("/"));
  // A connection closed before any answer.
  server.Answer("", Then::Close);
  RunCheck(server.Url("/"));
  // Nothing listening.
  RunCheck("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
  EXPECT_EQ(server.Requests().size(), 3u);
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(checkUpdateReads, 0);
}

TEST_F(UpdateCheckTest, AFailingWindowStepStaysInsideTheWorker) {
  server.Answer(HttpTestServer::Ok("x\nUPDATE0.9.20\n"), Then::Close);
  UpdateCheckHooks hooks;
  hooks.showUpdate = [](const std::string&, const std::string&) {
    throw std::runtime_error("no window");
  };
  TLTVUpdate check(server.Url("/"), handOffs, Client(), std::move(hooks));
  check.Start();
  check.WaitFor();
  EXPECT_TRUE(check.Finished());
}

TEST_F(UpdateCheckTest, TheDefaultEndpointIsTheBuildsHostOverPlainHttp) {
  const std::string endpoint = DefaultUpdateEndpoint();
  EXPECT_EQ(endpoint.rfind("http://", 0), 0u);
  EXPECT_EQ(endpoint.back(), '/');
  EXPECT_EQ(endpoint.find('/', 7), endpoint.size() - 1) << "host only, no path: " << endpoint;
  // The build's host, which test builds point at a loopback port.
  EXPECT_EQ(endpoint.substr(7, endpoint.size() - 8), LANTERVO_UPDATE_HOST);
}

// The answer the gated connection gives once the gate opens.
std::string Announcement() {
  return HttpTestServer::Ok("x\nUPDATE0.9.20\n");
}

TEST_F(UpdateCheckTest, ACheckDestroyedWhileItsRequestIsUnderWayShowsNothingLater) {
  auto connector = std::make_shared<GatedConnector>(Announcement());
  auto check =
      std::make_unique<TLTVUpdate>("http://update.test/", handOffs, Client(connector), Hooks());
  check->Start();
  connector->WaitForRequest();
  auto end = check->RunEnd();
  // Destroying it does not wait for the request.
  check.reset();
  connector->Open();
  // The answer arrives; its step is carried out here and finds the check gone.
  handOffs->WaitUntil([&] { return end->Ended(); });
  EXPECT_TRUE(shown.empty());
  EXPECT_EQ(checkUpdateReads, 0);
}

TEST_F(UpdateCheckTest, ACheckOutlivingTheUserInterfaceEndsQuietly) {
  auto connector = std::make_shared<GatedConnector>(Announcement());
  auto check =
      std::make_unique<TLTVUpdate>("http://update.test/", handOffs, Client(connector), Hooks());
  check->Start();
  connector->WaitForRequest();
  auto end = check->RunEnd();
  check.reset();
  // The user interface ends: its hand-offs fail from now on.
  handOffs->Close();
  handOffs.reset();
  connector->Open();
  end->Wait();
  EXPECT_TRUE(shown.empty());
}

}  // namespace
}  // namespace lantervo::test
