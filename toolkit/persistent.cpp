#include "toolkit/persistent.h"

#include <algorithm>

#include "platform/error.h"

namespace lantervo {

Persistent::Persistent() : alive_(std::make_shared<const int>(0)) {}

Persistent::~Persistent() = default;

const ClassInfo& Persistent::StaticClass() {
  static const ClassInfo info("TPersistent", nullptr);
  return info;
}

namespace {

const PropertyInfo& Require(const Persistent& self, std::string_view name) {
  const PropertyInfo* info = self.Class().FindProperty(name);
  if (!info)
    throw Error("Property " + std::string(name) + " does not exist in " + self.ClassName());
  return *info;
}

}  // namespace

PropertyValue Persistent::ReadProperty(std::string_view name) const {
  const PropertyInfo& info = Require(*this, name);
  if (!info.Readable()) throw Error("Property " + info.name + " is write-only");
  return info.get(*this);
}

void Persistent::WriteProperty(std::string_view name, const PropertyValue& value) {
  const PropertyInfo& info = Require(*this, name);
  if (!info.Writable()) throw Error("Property " + info.name + " is read-only");
  info.set(*this, value);
}

std::string Persistent::ReadTextProperty(std::string_view name) const {
  return props::ValueAs<std::string>(ReadProperty(name));
}

void Persistent::WriteTextProperty(std::string_view name, const std::string& value) {
  WriteProperty(name, PropertyValue(value));
}

int Persistent::Subscribe(ChangeHandler handler) {
  const int id = nextSubscription_++;
  subscriptions_.push_back({id, std::make_shared<ChangeHandler>(std::move(handler))});
  return id;
}

void Persistent::Unsubscribe(int subscription) {
  std::erase_if(subscriptions_, [&](const Subscription& s) { return s.id == subscription; });
}

void Persistent::Changed(const std::string& property) {
  if (subscriptions_.empty()) return;
  // A handler may subscribe or unsubscribe others; work on a snapshot and skip the removed.
  const std::vector<Subscription> snapshot = subscriptions_;
  for (const auto& s : snapshot) {
    const bool stillSubscribed = std::any_of(subscriptions_.begin(), subscriptions_.end(),
                                             [&](const Subscription& x) { return x.id == s.id; });
    if (stillSubscribed) (*s.handler)(*this, property);
  }
}

void Persistent::ForwardChanges(Persistent& child, std::string property) {
  child.Subscribe([this, property = std::move(property)](Persistent&, const std::string&) {
    Changed(property);
  });
}

}  // namespace lantervo
