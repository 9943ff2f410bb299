#pragma once
// Components: named objects with an owner that destroys them, a list of owned components and
// attachments other layers hang on them (such as a translation marker).
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/persistent.h"

namespace lantervo {

class Desktop;

// Something another layer keeps with a component and that dies with it.
class Attachment {
 public:
  virtual ~Attachment() = default;
};

class Component : public Persistent {
  LANTERVO_CLASS()

 public:
  Component();
  ~Component() override;

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  std::int64_t Tag() const { return tag_; }
  void SetTag(std::int64_t tag);

  Component* Owner() const { return owner_; }
  const std::vector<Component*>& Components() const { return components_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  Component* FindComponent(std::string_view name) const;  // among the owned; case ignored

  // Creates a component owned by this one; the owner destroys it.
  // A name already used among the owned raises Error.
  template <class T, class... Args>
  T& Add(const std::string& name, Args&&... args) {
    RequireUnusedName(name);
    auto created = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *created;
    if (!name.empty()) result.SetName(name);
    InsertComponent(std::move(created));
    return result;
  }
  // Destroys an owned component now.
  void RemoveComponent(Component& component);

  // The desktop of the window this component belongs to (the first owner that has one).
  virtual Desktop* GetDesktop() const;

  // Attachments, at most one of each type.
  template <class T>
  T* Find() const {
    for (const auto& a : attachments_)
      if (auto* typed = dynamic_cast<T*>(a.get())) return typed;
    return nullptr;
  }
  template <class T>
  T& Attach(std::unique_ptr<T> attachment) {
    T& result = *attachment;
    attachments_.push_back(std::move(attachment));
    return result;
  }

  // References between components: a component that stores a pointer to another asks to be
  // told when that one is destroyed, and clears the pointer in Notification.
  void FreeNotification(Component* other);
  void RemoveFreeNotification(Component* other);

 protected:
  virtual void Notification(Component& removed) {}
  // Destroys the owned components, last created first. Descendants whose owned components
  // refer back to their own parts call this early in their destructor.
  void DestroyComponents();

 private:
  void InsertComponent(std::unique_ptr<Component> component);
  void RequireUnusedName(const std::string& name) const;

  std::string name_;
  std::int64_t tag_ = 0;
  Component* owner_ = nullptr;
  std::vector<Component*> components_;
  std::vector<std::unique_ptr<Component>> owned_;
  std::vector<std::unique_ptr<Attachment>> attachments_;
  std::vector<Component*> freeNotifies_;
};

}  // namespace lantervo
