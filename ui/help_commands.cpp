// The Help menu: online help on the maker's web site and the About window.
#include "core/config_store.h"
#include "toolkit/desktop.h"
#include "ui/main_form.h"
#include "ui/open_vendor_link.h"

namespace lantervo {

void TMainForm::actionHelpContextExecute(Component&) {
  OpenVendorLink("help", *this, Context().config.Snapshot().Language);
}

void TMainForm::actionHelpAboutExecute(Component&) {
  if (!formAbout) return;
  // Shown once; choosing About again brings the same window to the front.
  formAbout->Show();
  Context().desktop.SetForeground(*formAbout);
}

}  // namespace lantervo
