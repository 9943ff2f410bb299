#pragma once
// The root of everything a window is made of: an object with a runtime class, published
// properties reachable by name, and change notifications a front end subscribes to.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/class_info.h"

namespace lantervo {

class Persistent {
 public:
  Persistent();
  Persistent(const Persistent&) = delete;
  Persistent& operator=(const Persistent&) = delete;
  virtual ~Persistent();

  static const ClassInfo& StaticClass();
  virtual const ClassInfo& Class() const { return StaticClass(); }
  const std::string& ClassName() const { return Class().Name(); }
  bool InheritsFrom(const ClassInfo& cls) const { return Class().InheritsFrom(cls); }

  // Published properties by name (letter case ignored). A missing, write-only or read-only
  // property, a value of the wrong type and a failing getter or setter raise Error.
  PropertyValue ReadProperty(std::string_view name) const;
  void WriteProperty(std::string_view name, const PropertyValue& value);
  std::string ReadTextProperty(std::string_view name) const;
  void WriteTextProperty(std::string_view name, const std::string& value);

  // Change notifications: the handler gets the object and the name of the property that
  // changed (or of an event-like change that has no property, such as "Rows" of a grid). They
  // run synchronously on the user-interface thread.
  using ChangeHandler = std::function<void(Persistent& sender, const std::string& property)>;
  int Subscribe(ChangeHandler handler);
  void Unsubscribe(int subscription);

  // Expires when the object is destroyed; lets holders of plain pointers notice.
  std::weak_ptr<const int> Liveness() const { return alive_; }

 protected:
  void Changed(const std::string& property);
  // Changes of a sub-object (a font, a list of lines, a collection) are reported by this object
  // as a change of the property that holds it.
  void ForwardChanges(Persistent& child, std::string property);

 private:
  struct Subscription {
    int id;
    std::shared_ptr<ChangeHandler> handler;
  };
  std::vector<Subscription> subscriptions_;
  int nextSubscription_ = 1;
  std::shared_ptr<const int> alive_;
};

}  // namespace lantervo
