// The metrics endpoint: a book of what the runs saw, and the listener that serves it to a
// scraper. The book is written here, on the user-interface thread, as rows are posted; the
// listener renders it on its own thread and never waits for this one.

#include <stdexcept>

#include "core/config_store.h"
#include "core/text_format.h"
#include "i18n/gettext.h"
#include "lantervo/version.h"
#include "metrics/metrics_book.h"
#include "metrics/metrics_server.h"
#include "ui/main_form.h"
#include "ui/state_changes.h"

namespace lantervo {

namespace {

// "127.0.0.1:9100", "[::1]:9100"
std::string EndpointText(const std::string& address, int port) {
  const std::string host = address.empty() ? "127.0.0.1" : address;
  return (host.find(':') != std::string::npos ? "[" + host + "]" : host) + ":" +
         std::to_string(port);
}

// The servers a scrape lists: those a run checks.
std::vector<metrics::ServerKey> ActiveServers(const ServerTable& table) {
  std::vector<metrics::ServerKey> active;
  for (int i = 0; i < table.RowCount(); ++i)
    if (table.BoolAt(i, "Active"))
      active.push_back({table.TextAt(i, "Name"), table.TextAt(i, "Url")});
  return active;
}

}  // namespace

void TMainForm::StartMetrics() {
  const AppConfig config = context_.config.Snapshot();
  const std::string wanted =
      config.MetricsPort > 0 ? EndpointText(config.MetricsAddress, config.MetricsPort) : "";
  // Saving the settings unchanged leaves a running endpoint, and a failed one, as they are.
  if (wanted == metricsServed_) return;
  StopMetrics();
  metricsServed_ = wanted;
  if (wanted.empty()) return;
  if (!metricsBook_) {
    metricsBook_ = std::make_unique<metrics::MetricsBook>(kProgramVersion);
    metricsBook_->SetServers(ActiveServers(setServer));
  }
  metrics::MetricsServerOptions options;
  options.address = config.MetricsAddress;
  options.port = static_cast<std::uint16_t>(config.MetricsPort);
  metrics::MetricsBook* book = metricsBook_.get();
  options.exposition = [book] { return book->Exposition(); };
  try {
    metricsServer_ = std::make_unique<metrics::MetricsServer>(std::move(options));
    AddLog(FormatText(TranslateText("Metrics are served at http://%s/metrics"), {wanted}),
           "system");
  } catch (const std::exception& e) {
    // The program goes on without it; the next change of the settings tries again. The
    // socket error's two lines make one here.
    std::string reason = e.what();
    for (std::size_t at; (at = reason.find("\r\n")) != std::string::npos;)
      reason.replace(at, 2, " ");
    AddLog(
        FormatText(TranslateText("The metrics endpoint cannot listen on %s: %s"), {wanted, reason}),
        "error");
  }
}

void TMainForm::StopMetrics() {
  metricsServer_.reset();
  metricsServed_.clear();
}

std::uint16_t TMainForm::MetricsPort() const {
  return metricsServer_ ? metricsServer_->Port() : 0;
}

void TMainForm::MetricsRunBegins() {
  if (!metricsBook_) return;
  metricsRunStart_ = UtcNowMs();
  metricsRunState_ = 0;
  metricsBook_->SetServers(ActiveServers(setServer));
}

void TMainForm::MetricsRowPosted() {
  if (!metricsBook_) return;
  history::ProbeStatus status;
  if (!ProbeStatusOf(setServer.GetText("Status"), status)) return;
  const std::int32_t loadMs =
      status != history::ProbeStatus::Down ? setServer.GetInt("LoadTime") : -1;
  metricsBook_->RecordCheck({setServer.GetText("Name"), setServer.GetText("Url")},
                            static_cast<metrics::CheckStatus>(status), loadMs, UtcNowMs());
}

void TMainForm::MetricsRunState(int state) {
  metricsRunState_ = state;
}

void TMainForm::MetricsRunEnds() {
  // A run that Quit stopped before it had a state is not counted.
  if (!metricsBook_ || metricsRunStart_ == 0 || metricsRunState_ < 1 || metricsRunState_ > 3)
    return;
  metricsBook_->RecordRun(static_cast<metrics::RunState>(metricsRunState_), metricsRunStart_,
                          UtcNowMs());
  metricsRunStart_ = 0;
}

}  // namespace lantervo
