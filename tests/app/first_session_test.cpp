// A new user's first session, end to end on the headless desktop: the first start with its
// defaults and the update window, two servers added and checked, the settings switched to
// Czech, Quit while the next start's update request is still out, and the list intact.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "monitor/socket_connection.h"
#include "tests/app/program_fixture.h"
#include "tests/support/http_test_server.h"
#include "tests/support/quick_http_options.h"
#include "tests/update/gated_connector.h"
#include "ui/about_form.h"
#include "ui/check_scheduler.h"
#include "ui/server_form.h"
#include "ui/settings_form.h"
#include "ui/update_form.h"
#include "ui/update_start.h"
#include "update/update_check.h"

namespace lantervo::test {
namespace {

using ::testing::ElementsAre;

constexpr const char* kUpdateHost = "update.test";

// Connections to the update host wait at a gate; every other one is a real socket.
class UpdateRouter : public Connector {
 public:
  UpdateRouter(platform::Resolver& resolver, std::shared_ptr<GatedConnector> gate)
      : sockets_(resolver, 5000, 25), gate_(std::move(gate)) {}
  std::unique_ptr<Connection> Connect(const std::string& host, int port) override {
    if (host == kUpdateHost) return gate_->Connect(host, port);
    return sockets_.Connect(host, port);
  }

 private:
  SocketConnector sockets_;
  std::shared_ptr<GatedConnector> gate_;
};

class FirstSessionTest : public ProgramTest {
 protected:
  // A new process whose update endpoint answers through `gate`.
  Program::StartResult StartWith(std::shared_ptr<GatedConnector> gate) {
    program.reset();
    desktop = std::make_unique<HeadlessDesktop>();
    // A new process starts with a translation instance of its own, whose ignore rules the
    // main window registers once.
    InstallEnglishTexts();
    ProgramServices services = Services();
    services.updateEndpoint = std::string("http://") + kUpdateHost + "/";
    services.makeHttpClient = [this, gate] {
      HttpClientOptions options = QuickHttpOptions();
      options.connector = std::make_shared<UpdateRouter>(resolver, gate);
      return std::make_unique<HttpClient>(options);
    };
    program = std::make_unique<Program>(std::move(services));
    const Program::StartResult result = program->Start();
    if (result != Program::StartResult::Running) return result;
    main().Show();
    // The autostart entry of this test stays in its folder.
    settings().SetAutostartPlace(dir.File("config"), dir.File("Lantervo.exe"));
    return result;
  }

  TformSettings& settings() { return static_cast<TformSettings&>(*program->SettingsForm()); }
  TFormUpdate& update() { return static_cast<TFormUpdate&>(*program->UpdateForm()); }
  TFormServers& servers() { return *program->ServersForm(); }
};

TEST_F(FirstSessionTest, FromFirstStartToCzechAndBackWithTheListIntact) {
  const std::string announcement = HttpTestServer::Ok("lantervo\nUPDATE0.9.20\n");

  // First start: defaults, the recreated list, and the update window once the reply is in.
  auto firstGate = std::make_shared<GatedConnector>(announcement);
  firstGate->Open();
  ASSERT_EQ(StartWith(firstGate), Program::StartResult::Running);
  EXPECT_EQ(desktop->MessageBoxes().size(), 2u);
  ASSERT_NE(UpdateCheckOf(main()), nullptr);
  UpdateCheckOf(main())->WaitFor();
  EXPECT_TRUE(update().Visible());
  EXPECT_EQ(update().labelVersionCurrent->Caption(), "0.9.19");
  EXPECT_EQ(update().labelVersionLastest->Caption(), "0.9.20");
  update().buttonClose->Click();

  // Two servers, then one run over the list.
  HttpTestServer server;
  server.AnswerAlways(HttpTestServer::Ok("fine"));
  AddThroughDialog("Alpha", server.Url("/a"));
  AddThroughDialog("Bravo", server.Url("/b"));
  desktop->Advance(main().timerCheck->Interval());
  ASSERT_NE(main().CurrentCheck(), nullptr);
  main().CurrentCheck()->WaitFor();
  std::vector<std::string> statuses;
  for (const Row& row : Rows()) statuses.push_back(row.name + " " + row.status);
  EXPECT_THAT(statuses, ElementsAre("Alpha OK", "Bravo OK", "QUORVIK Media ERR_LOAD"));
  EXPECT_TRUE(main().timerCheck->Enabled());

  // Settings: Czech, saved and applied at once.
  ASSERT_TRUE(main().actionSettings->Execute());
  EXPECT_FALSE(main().Enabled());
  ASSERT_TRUE(settings().Visible());
  EXPECT_EQ(settings().comboLanguage->Text(), "en");
  EXPECT_EQ(settings().editCheckInterval->Text(), "300");
  settings().comboLanguage->Select(settings().comboLanguage->Items()->IndexOf("cs"));
  settings().buttonSave->Click();
  EXPECT_FALSE(settings().Visible());
  EXPECT_TRUE(main().Enabled());
  EXPECT_EQ(program->Config().Snapshot().Language, "cs");
  EXPECT_EQ(main().actionSettings->Caption(), "Nastavení");
  EXPECT_EQ(servers().labelName->Caption(), "Název serveru");
  EXPECT_EQ(settings().Caption(), "Nastavení aplikace");
  EXPECT_EQ(program->AboutForm()->Caption(), "O programu");
  EXPECT_EQ(update().Caption(), "Je dostupná nová verze");
  EXPECT_THAT(dropped, ::testing::IsEmpty());
  Quit();

  // Second start: Czech from the first moment; Quit while the update request is still out.
  auto secondGate = std::make_shared<GatedConnector>(announcement);
  ASSERT_EQ(StartWith(secondGate), Program::StartResult::Running);
  EXPECT_EQ(desktop->MessageBoxes().size(), 0u);
  EXPECT_THAT(dropped, ::testing::IsEmpty());
  EXPECT_EQ(main().actionSettings->Caption(), "Nastavení");
  EXPECT_EQ(settings().labelLanguage->Caption(), "Jazyk");
  std::vector<std::string> names;
  for (const Row& row : Rows()) names.push_back(row.name + " " + row.url);
  EXPECT_THAT(names, ElementsAre("Alpha " + server.Url("/a"), "Bravo " + server.Url("/b"),
                                 "QUORVIK Media http://" LANTERVO_VENDOR_HOST "/"));
  secondGate->WaitForRequest();
  const auto end = UpdateCheckOf(main())->RunEnd();
  Quit();
  EXPECT_FALSE(end->Ended());
  program.reset();
  desktop.reset();
  // The reply comes after the program has gone; the check ends without touching anything.
  secondGate->Open();
  end->Wait();
  EXPECT_THAT(SavedRows().size(), 3u);
}

}  // namespace
}  // namespace lantervo::test
