#include "frontends/qt/binding.h"

#include "toolkit/desktop.h"

namespace lantervo::qt {

Binding::Binding(Persistent& object, QObject* parent)
    : QObject(parent), object_(object), alive_(MakeWeak(object)) {
  subscription_ =
      object.Subscribe([this](Persistent&, std::string_view property) { Sync(property); });
}

Binding::~Binding() {
  // Quietly: nothing the widget does on its way out comes back here.
  subscription_.Reset();
}

void Binding::Input(Desktop* desktop, const std::function<void()>& operation) {
  if (!Alive()) return;
  if (desktop) {
    desktop->Dispatch(operation);
  } else {
    operation();
  }
}

}  // namespace lantervo::qt
