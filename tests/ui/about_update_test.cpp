// The About and update windows, the three vendor links with their parent windows, and the
// start-up update check against the loopback server, also when the main window goes while the
// request is under way.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/http_test_server.h"
#include "tests/ui/windows_fixture.h"
#include "tests/update/gated_connector.h"
#include "ui/update_start.h"
#include "update/update_check.h"
#include "update/vendor_links.h"

namespace lantervo::test {
namespace {

using ::testing::IsEmpty;

class AboutUpdateTest : public WindowsTest {
 protected:
  std::string LinkEnd(const std::string& action, const std::string& language) const {
    return "/app_redirect/ltv?action=" + action + "&lang=" + language;
  }
  const HeadlessDesktop::ShellOpenRecord& LastOpen() const {
    static const HeadlessDesktop::ShellOpenRecord none{"(none)", "(none)"};
    return desktop.ShellOpens().empty() ? none : desktop.ShellOpens().back();
  }
  // Start-up's last step against an endpoint, waiting for the check to end.
  void RunUpdateCheck(const std::string& endpoint) {
    form->Context().updateEndpoint = endpoint;
    form->StartUpdateCheck();
    ASSERT_NE(UpdateCheckOf(*form), nullptr);
    UpdateCheckOf(*form)->WaitFor();
  }
};

TEST_F(AboutUpdateTest, AboutWindowLayout) {
  EXPECT_EQ(about->Caption(), "About");
  EXPECT_EQ(about->ClientWidth(), 219);
  EXPECT_EQ(about->ClientHeight(), 245);
  EXPECT_EQ(about->BorderIcons(), 0);
  EXPECT_EQ(about->ControlColor(), colors::kWhite);
  EXPECT_EQ(about->Image1->Picture()->Resource(), "logo");
  EXPECT_EQ(about->Label1->Caption(), "Lantervo 0.9.19");
  EXPECT_EQ(about->Label1->Font()->Name(), "Concielian Condensed");
  EXPECT_EQ(about->Label2->Caption(), "QUORVIK Media");
  EXPECT_EQ(about->Label2->CursorShape(), crHandPoint);
  EXPECT_EQ(about->Label2->Font()->Style(), fsUnderline);
  EXPECT_EQ(about->Label2->Font()->FontColor(), colors::kHotLight);
  EXPECT_EQ(about->Button1->Caption(), "OK");
  EXPECT_FALSE(about->Visible());
}

TEST_F(AboutUpdateTest, AboutShowsOnceComesToTheFrontAndOkHidesIt) {
  ASSERT_TRUE(form->actionHelpAbout->Execute());
  EXPECT_TRUE(about->Visible());
  EXPECT_EQ(desktop.Foreground(), about.get());
  desktop.SetForeground(*form);
  ASSERT_TRUE(form->actionHelpAbout->Execute());
  EXPECT_EQ(desktop.Foreground(), about.get());
  EXPECT_TRUE(form->Enabled());  // modeless
  about->Button1->Click();
  EXPECT_FALSE(about->Visible());
  ASSERT_TRUE(form->actionHelpAbout->Execute());
  EXPECT_TRUE(about->Visible());
  EXPECT_EQ(about->Left(), 0);
  EXPECT_EQ(about->Top(), 0);
}

TEST_F(AboutUpdateTest, EachLinkCarriesItsActionTheCurrentLanguageAndItsParent) {
  config.Set(&AppConfig::Language, std::string("cs"));
  ASSERT_TRUE(form->IsShortCut(keys::kF1, 0));
  EXPECT_EQ(LastOpen().owner, "MainForm");
  EXPECT_EQ(LastOpen().target, VendorLink("help", "cs"));
  EXPECT_THAT(LastOpen().target, ::testing::EndsWith(LinkEnd("help", "cs")));

  form->actionHelpAbout->Execute();
  about->Label2->Click();
  EXPECT_EQ(LastOpen().owner, "FormAbout");
  EXPECT_EQ(LastOpen().target, VendorLink("about", "cs"));
  EXPECT_TRUE(about->Visible());

  // Read at each click, and appended unencoded.
  config.Set(&AppConfig::Language, std::string("c s&x"));
  update->ShowVersions("0.9.19", "0.9.20");
  desktop.SetShellOpenResult(false);
  update->buttonDownload->Click();
  EXPECT_EQ(LastOpen().owner, "FormUpdate");
  EXPECT_THAT(LastOpen().target, ::testing::EndsWith(LinkEnd("update", "c s&x")));
  EXPECT_FALSE(update->Visible());
  EXPECT_EQ(desktop.ShellOpens().size(), 3u);
}

TEST_F(AboutUpdateTest, UpdateWindowLayoutAndClose) {
  EXPECT_EQ(update->Caption(), "New version available");
  EXPECT_EQ(update->ClientWidth(), 549);
  EXPECT_EQ(update->ClientHeight(), 186);
  EXPECT_EQ(update->BorderIcons(), 0);
  EXPECT_EQ(update->Label1->Caption(), "Current version");
  EXPECT_EQ(update->Label2->Caption(), "Lastest version");
  EXPECT_EQ(update->buttonDownload->TabOrder(), 1);
  EXPECT_EQ(update->buttonClose->TabOrder(), 0);
  EXPECT_EQ(update->buttonClose->Left(), 446);
  update->ShowVersions("0.9.19", "1.0");
  EXPECT_TRUE(update->Visible());
  update->buttonClose->Click();
  EXPECT_FALSE(update->Visible());
  EXPECT_THAT(desktop.ShellOpens(), IsEmpty());
}

TEST_F(AboutUpdateTest, AnAnnouncedVersionShowsTheUpdateWindowWithBothVersions) {
  config.Set(&AppConfig::CheckUpdate, true);
  HttpTestServer server;
  server.Answer(HttpTestServer::Ok("ok\nUPDATE0.9.20\n"), HttpTestServer::Then::Close);
  RunUpdateCheck(server.Url("/"));
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(update->Visible());
  EXPECT_EQ(update->labelVersionCurrent->Caption(), "0.9.19");
  EXPECT_EQ(update->labelVersionLastest->Caption(), "0.9.20");
}

TEST_F(AboutUpdateTest, CheckUpdateOffSendsTheRequestAndShowsNothing) {
  config.Set(&AppConfig::CheckUpdate, false);
  HttpTestServer server;
  server.Answer(HttpTestServer::Ok("ok\nUPDATE0.9.20\n"), HttpTestServer::Then::Close);
  RunUpdateCheck(server.Url("/"));
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_FALSE(update->Visible());
}

TEST_F(AboutUpdateTest, AnUnreachableEndpointShowsNothingAndLogsNothing) {
  config.Set(&AppConfig::CheckUpdate, true);
  RunUpdateCheck("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/");
  EXPECT_FALSE(update->Visible());
  EXPECT_THAT(desktop.MessageBoxes(), IsEmpty());
  EXPECT_THAT(desktop.HandledErrors(), IsEmpty());
  EXPECT_FALSE(dir.Exists("LTV.log"));
}

TEST_F(AboutUpdateTest, TheWindowsGoingWhileTheRequestIsUnderWayIsNoHarm) {
  config.Set(&AppConfig::CheckUpdate, true);
  auto gate = std::make_shared<GatedConnector>(HttpTestServer::Ok("ok\nUPDATE0.9.20\n"));
  connector = gate;
  form->StartUpdateCheck();
  gate->WaitForRequest();
  auto end = UpdateCheckOf(*form)->RunEnd();
  // Quit does not wait for the check: the windows go with the request still out.
  form->IsClosing = true;
  DestroyWindows();
  gate->Open();
  desktop.HandOffs().WaitUntil([&] { return end->Ended(); });
  EXPECT_THAT(desktop.HandledErrors(), IsEmpty());
}

TEST_F(AboutUpdateTest, AReplyArrivingAfterQuitShowsNothing) {
  config.Set(&AppConfig::CheckUpdate, true);
  auto gate = std::make_shared<GatedConnector>(HttpTestServer::Ok("ok\nUPDATE0.9.20\n"));
  connector = gate;
  form->StartUpdateCheck();
  gate->WaitForRequest();
  form->IsClosing = true;
  gate->Open();
  UpdateCheckOf(*form)->WaitFor();
  EXPECT_FALSE(update->Visible());
}

}  // namespace
}  // namespace lantervo::test
