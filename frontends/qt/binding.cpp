#include "frontends/qt/binding.h"

#include "toolkit/desktop.h"

namespace lantervo::qt {

Binding::Binding(Persistent& object, QObject* parent)
    : QObject(parent), object_(object), alive_(object.Liveness()) {
  subscription_ =
      object.Subscribe([this](Persistent&, const std::string& property) { Sync(property); });
}

Binding::~Binding() {
  if (Alive()) object_.Unsubscribe(subscription_);
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
