#include "ui/update_start.h"

#include <memory>

#include "core/config_store.h"
#include "monitor/http_client.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"
#include "ui/update_form.h"
#include "update/update_check.h"

namespace lantervo {

namespace {
// Dies with the main window, abandoning a request still under way.
struct UpdateCheckHolder : Attachment {
  std::unique_ptr<TLTVUpdate> check;
};
}  // namespace

TLTVUpdate* UpdateCheckOf(const TMainForm& form) {
  const auto* holder = form.Find<UpdateCheckHolder>();
  return holder ? holder->check.get() : nullptr;
}

void TMainForm::StartUpdateCheck() {
  MainFormContext& context = Context();
  std::unique_ptr<HttpClient> client =
      context.makeHttpClient ? context.makeHttpClient() : std::make_unique<HttpClient>();
  client->SetHttpsEnabled(context.config.Snapshot().HttpsEnabled);
  if (context.config.Snapshot().ProxyEnabled) client->SetProxySource(Proxies());
  // Both hooks run on the user-interface thread. The window may be on its way out by then
  // (Quit does not wait for the check), and the update window is created after this one.
  UpdateCheckHooks hooks;
  hooks.checkUpdate = [this, alive = MakeWeak(*this)] {
    if (!alive || IsClosing) return false;
    return Context().config.Snapshot().CheckUpdate;
  };
  hooks.showUpdate = [this](const std::string& current, const std::string& newest) {
    if (auto* window = dynamic_cast<TFormUpdate*>(formUpdate))
      window->ShowVersions(current, newest);
  };
  auto check =
      std::make_unique<TLTVUpdate>(context.updateEndpoint, context.desktop.SharedHandOffs(),
                                   std::move(client), std::move(hooks));
  auto* holder = Find<UpdateCheckHolder>();
  if (!holder) holder = &Attach(std::make_unique<UpdateCheckHolder>());
  holder->check = std::move(check);
  holder->check->Start();
}

}  // namespace lantervo
