#pragma once
// The root of everything a window is made of: an object with a runtime class, published
// properties reachable by name, and change notifications a front end subscribes to.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/signal.h"
#include "core/weak.h"
#include "toolkit/class_info.h"

namespace lantervo {

class Persistent : public Weakable {
 public:
  Persistent() = default;
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
  // changed (a prop:: name, also for an event-like change that has no property, such as the
  // rows of a grid). They run synchronously on the user-interface thread. The subscription
  // ends when the answer is destroyed or when this object is.
  using ChangeHandler = std::function<void(Persistent& sender, std::string_view property)>;
  [[nodiscard]] Subscription Subscribe(ChangeHandler handler) {
    return changed_.Connect(std::move(handler));
  }
  // Subscribes for as long as this object lives, to its own changes or to those of an object
  // it owns or refers to; either side's destruction ends it.
  void Observe(Persistent& other, ChangeHandler handler);

 protected:
  void Changed(std::string_view property) { changed_.Emit(*this, property); }
  // Changes of a sub-object (a font, a list of lines, a collection) are reported by this object
  // as a change of the property that holds it.
  void ForwardChanges(Persistent& child, std::string_view property);

 private:
  Signal<Persistent&, std::string_view> changed_;
  std::vector<Subscription> observing_;
};

}  // namespace lantervo
