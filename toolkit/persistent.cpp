#include "toolkit/persistent.h"

#include "platform/error.h"

namespace lantervo {

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

void Persistent::Observe(Persistent& other, ChangeHandler handler) {
  observing_.push_back(other.Subscribe(std::move(handler)));
}

void Persistent::ForwardChanges(Persistent& child, std::string_view property) {
  Observe(child,
          [this, name = std::string(property)](Persistent&, std::string_view) { Changed(name); });
}

}  // namespace lantervo
