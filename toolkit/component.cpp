#include "toolkit/component.h"

#include <algorithm>

#include "platform/error.h"

namespace lantervo {

const ClassInfo& Component::StaticClass() {
  static const ClassInfo info(
      "TComponent", &Persistent::StaticClass(),
      {props::Text<Component>(prop::Name, &Component::Name, &Component::SetName),
       props::Other<Component>(prop::Tag, &Component::Tag, &Component::SetTag)});
  return info;
}

Component::Component() = default;

Component::~Component() {
  DestroyComponents();
  attachments_.clear();
  // Tell everyone who keeps a pointer to this component, and forget the ones this one keeps.
  const auto notifies = std::move(freeNotifies_);
  for (Component* other : notifies) {
    std::erase(other->freeNotifies_, this);
    other->Notification(*this);
  }
  if (owner_) {
    std::erase(owner_->components_, this);
    auto it = std::find_if(owner_->owned_.begin(), owner_->owned_.end(),
                           [this](const auto& p) { return p.get() == this; });
    if (it != owner_->owned_.end()) {  // destroyed directly rather than by its owner
      it->release();
      owner_->owned_.erase(it);
    }
  }
}

void Component::RequireUnusedName(const std::string& name) const {
  if (FindComponent(name)) throw Error("A component named " + name + " already exists");
}

void Component::SetName(const std::string& name) {
  if (name == name_) return;
  if (owner_ && !SameText(name, name_)) owner_->RequireUnusedName(name);
  name_ = name;
  Changed(prop::Name);
}

void Component::SetTag(std::int64_t tag) {
  if (tag == tag_) return;
  tag_ = tag;
  Changed(prop::Tag);
}

Component* Component::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (Component* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void Component::InsertComponent(std::unique_ptr<Component> component) {
  component->owner_ = this;
  components_.push_back(component.get());
  owned_.push_back(std::move(component));
}

void Component::RemoveComponent(Component& component) {
  auto it = std::find_if(owned_.begin(), owned_.end(),
                         [&](const auto& p) { return p.get() == &component; });
  if (it == owned_.end()) return;
  std::unique_ptr<Component> doomed = std::move(*it);
  owned_.erase(it);
  std::erase(components_, doomed.get());
  doomed->owner_ = nullptr;
  doomed.reset();
}

void Component::DestroyComponents() {
  while (!owned_.empty()) {
    std::unique_ptr<Component> last = std::move(owned_.back());
    owned_.pop_back();
    std::erase(components_, last.get());
    last->owner_ = nullptr;
    last.reset();
  }
}

Desktop* Component::GetDesktop() const {
  return owner_ ? owner_->GetDesktop() : nullptr;
}

void Component::FreeNotification(Component* other) {
  if (!other || other == this) return;
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end()) {
    freeNotifies_.push_back(other);
    other->freeNotifies_.push_back(this);
  }
}

void Component::RemoveFreeNotification(Component* other) {
  if (!other) return;
  std::erase(freeNotifies_, other);
  std::erase(other->freeNotifies_, this);
}

}  // namespace lantervo
