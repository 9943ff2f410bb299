#include "ui/check_scheduler.h"

#include <algorithm>
#include <utility>

#include "core/config_store.h"
#include "monitor/http_client.h"
#include "platform/proxy.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"

namespace lantervo {

void MainFormRunHost::OnUi(const std::function<void()>& operation) {
  form_.GetDesktop()->Synchronize(operation);
}

void MainFormRunHost::BeginRunUi() {
  OnUi([this] {
    TMainForm& f = form_;
    f.HistoryRunBegins();
    f.MetricsRunBegins();
    f.actionServerAdd->SetEnabled(false);
    f.actionServerEdit->SetEnabled(false);
    f.actionServerDelete->SetEnabled(false);
    f.actionServerActivate->SetEnabled(false);
    f.actionServerDeactivate->SetEnabled(false);
    f.actionServerActivateAll->SetEnabled(false);
    f.actionCheckNow->SetEnabled(false);
    f.gridLink->SetEnabled(false);
    f.gridLink->Repaint();
  });
}

void MainFormRunHost::EndRunUi() {
  OnUi([this] {
    TMainForm& f = form_;
    f.HistoryRunEnds();
    f.MetricsRunEnds();
    f.gridLink->SetEnabled(true);
    f.gridLink->Repaint();
    if (!f.IsClosing) f.timerCheck->SetEnabled(true);
    f.actionServerAdd->SetEnabled(true);
    f.actionServerActivateAll->SetEnabled(true);
    f.actionCheckNow->SetEnabled(true);
    f.UpdateRowActions();
  });
}

void MainFormRunHost::RowPosted() {
  form_.HistoryRowPosted();
  form_.MetricsRowPosted();
  form_.ChangeRowPosted();
}

void MainFormRunHost::AddLog(const std::string& message, const std::string& level) {
  OnUi([&] { form_.AddLog(message, level); });
}

void MainFormRunHost::SetStatusText(const std::string& text) {
  OnUi([&] { form_.StatusBar->SetSimpleText(text); });
}

void MainFormRunHost::SetRunState(int state, int errorCount) {
  OnUi([&] {
    form_.HistoryRunState(state, errorCount);
    form_.MetricsRunState(state);
    form_.SetRunState(state, errorCount);
  });
}

void MainFormRunHost::ShowBalloon(const std::string& title, const std::string& text,
                                  BalloonKind kind) {
  OnUi([&] { form_.ShowBalloon(title, text, kind); });
}

void MainFormRunHost::MoveFirst() {
  OnUi([&] { form_.setServer.MoveFirst(); });
}

void MainFormRunHost::MoveNext() {
  OnUi([&] { form_.setServer.MoveNext(); });
}

bool MainFormRunHost::AtEnd() {
  bool result = true;
  OnUi([&] { result = form_.setServer.AtEnd(); });
  return result;
}

void MainFormRunHost::BeginEdit() {
  OnUi([&] { form_.setServer.BeginEdit(); });
}

void MainFormRunHost::PostRow() {
  OnUi([&] {
    form_.setServer.PostRow();
    RowPosted();
  });
}

std::vector<LaneRow> MainFormRunHost::ActiveRows() {
  std::vector<LaneRow> rows;
  OnUi([&] {
    // Read in place: a walk of the cursor would move the grid once a row, all in one turn.
    const ServerTable& table = form_.setServer;
    for (int i = 0; i < table.RowCount(); ++i) {
      if (!table.BoolAt(i, "Active")) continue;
      LaneRow row;
      row.index = i;
      row.name = table.TextAt(i, "Name");
      row.url = table.TextAt(i, "Url");
      row.responseEnabled = table.BoolAt(i, "ResponseEnabled");
      if (row.responseEnabled) row.response = table.TextAt(i, "Response");
      row.timeoutEnabled = table.BoolAt(i, "TimeoutEnabled");
      if (row.timeoutEnabled) row.timeout = table.IntAt(i, "Timeout");
      rows.push_back(std::move(row));
    }
  });
  return rows;
}

void MainFormRunHost::PostRowAt(int index, const RowWrite& write) {
  OnUi([&] {
    ServerTable& table = form_.setServer;
    table.MoveTo(index);
    table.BeginEdit();
    table.SetText("Status", write.status);
    table.SetText("Result", write.result);
    if (write.loadTime) table.SetInt("LoadTime", *write.loadTime);
    table.PostRow();
    RowPosted();
  });
}

bool MainFormRunHost::GetBool(const std::string& field) {
  bool result = false;
  OnUi([&] { result = form_.setServer.GetBool(field); });
  return result;
}

std::int32_t MainFormRunHost::GetInt(const std::string& field) {
  std::int32_t result = 0;
  OnUi([&] { result = form_.setServer.GetInt(field); });
  return result;
}

std::string MainFormRunHost::GetText(const std::string& field) {
  std::string result;
  OnUi([&] { result = form_.setServer.GetText(field); });
  return result;
}

void MainFormRunHost::SetInt(const std::string& field, std::int32_t value) {
  OnUi([&] { form_.setServer.SetInt(field, value); });
}

void MainFormRunHost::SetText(const std::string& field, const std::string& value) {
  OnUi([&] { form_.setServer.SetText(field, value); });
}

TLTVCheck::TLTVCheck(Dependencies dependencies)
    : uses_(std::move(dependencies)), thread_(uses_.handOffs, [this] { Execute(); }) {}

TLTVCheck::~TLTVCheck() = default;

void TLTVCheck::Start() {
  thread_.Start();
}

void TLTVCheck::Stop() {
  stop_ = true;
  uses_.client.Cancel();
  for (HttpClient* lane : uses_.laneClients) lane->Cancel();
}

void TLTVCheck::Asleep() {
  asleep_ = true;
  uses_.client.Interrupt();
  for (HttpClient* lane : uses_.laneClients) lane->Interrupt();
}

void TLTVCheck::Execute() {
  // The run's own copy: a settings change saved meanwhile applies to the next run.
  const AppConfig config = uses_.config.Snapshot();
  const RunSettings settings{config.VerifyEnabled, config.VerifyURL,      config.BalloonLevel,
                             config.RetryCount,    config.NotifyOnChange, uses_.waitForNetwork,
                             config.CheckLanes};
  const auto prepared = [&](HttpClient& client) {
    client.SetHttpsEnabled(config.HttpsEnabled);
    client.SetProxySource(config.ProxyEnabled ? uses_.proxies : nullptr);
    return ProbeGet([&client](const std::string& url) { return client.Get(url); });
  };
  HttpClient& client = uses_.client;
  const ProbeGet get = prepared(client);
  std::vector<ProbeGet> laneGets;
  for (HttpClient* lane : uses_.laneClients) laneGets.push_back(prepared(*lane));
  const ProbeReach reach = [&client](const std::string& url) { return client.CanConnect(url); };
  lantervo::Execute(settings, *uses_.host, get, uses_.clock, &stop_, &asleep_, reach, laneGets);
}

void TMainForm::timerCheckTimer(Component& sender) {
  timerCheck->SetEnabled(false);
  StartCheck();
}

void TMainForm::StartCheck() {
  // Releasing the last worker waits for it; it has ended, since only its last step switches
  // the timer on again.
  check_.reset();
  const AppConfig config = Context().config.Snapshot();
  // The lanes' clients stay from run to run, so that their connections are kept too.
  const std::size_t lanes = static_cast<std::size_t>(std::clamp(config.CheckLanes, 1, 16));
  while (laneClients_.size() + 1 < lanes) {
    laneClients_.push_back(context_.makeHttpClient ? context_.makeHttpClient()
                                                   : std::make_unique<HttpClient>());
    laneClients_.back()->ShareCookiesOf(*IdHTTP);
  }
  std::vector<HttpClient*> laneClients;
  for (std::size_t i = 0; i + 1 < lanes; ++i) laneClients.push_back(laneClients_[i].get());
  check_ = std::make_unique<TLTVCheck>(TLTVCheck::Dependencies{
      GetDesktop()->SharedHandOffs(), std::make_unique<MainFormRunHost>(*this), Context().config,
      *IdHTTP, Context().clock, std::exchange(wokeUp_, false),
      config.ProxyEnabled ? Proxies() : nullptr, std::move(laneClients)});
  check_->Start();
}

std::shared_ptr<platform::ProxySource> TMainForm::Proxies() const {
  return context_.proxies ? context_.proxies : platform::SystemProxySource();
}

void TMainForm::PowerChanged(PowerEvent event) {
  // Whichever comes (a platform may tell only of the wake), the next run waits for the network.
  wokeUp_ = true;
  if (event == PowerEvent::Suspending && check_ && !check_->Finished()) check_->Asleep();
}

void TMainForm::actionCheckNowExecute(Component&) {
  if (IsClosing || !Enabled() || (check_ && !check_->Finished())) return;
  // The run's end switches the timer on again, so the next interval starts there.
  timerCheck->SetEnabled(false);
  StartCheck();
}

void TMainForm::StopChecks() {
  IsClosing = true;
  timerCheck->SetEnabled(false);
  // The run is told to stop before it is waited for, so no server can hold Quit; the wait
  // still carries out the hand-offs the run makes on its way out.
  if (check_) {
    check_->Stop();
    check_->WaitFor();
  }
}

}  // namespace lantervo
