#pragma once
// Runtime class descriptors and published properties: what window translation walks and what a
// front end renders. A class knows its parent, so a rule for a class covers its descendants.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "toolkit/property_names.h"

namespace lantervo {

class Persistent;

// Text: a string property (captions, hints, texts, titles, but also identifiers such as field
// names — ignore rules keep those out of translation). StringList: a list of lines (the value is
// the TStrings object). Object: a sub-object or a reference to a component. Other: numbers,
// flags, enumerations and identifiers that never count as text.
enum class PropertyKind { Text, StringList, Object, Other };

using PropertyValue = std::variant<std::string, std::int64_t, bool, Persistent*>;

struct PropertyInfo {
  std::string name;
  PropertyKind kind = PropertyKind::Other;
  std::function<PropertyValue(const Persistent&)> get;         // empty: not readable
  std::function<void(Persistent&, const PropertyValue&)> set;  // empty: not writable
  // Whether the value belongs to the object itself (empty: always). A caption a menu item
  // takes from its action is the action's, not the item's.
  std::function<bool(const Persistent&)> stored;

  bool Readable() const { return static_cast<bool>(get); }
  bool Writable() const { return static_cast<bool>(set); }
  bool Stored(const Persistent& object) const { return !stored || stored(object); }
};

class ClassInfo {
 public:
  ClassInfo(std::string name, const ClassInfo* parent, std::vector<PropertyInfo> properties = {});
  ClassInfo(const ClassInfo&) = delete;
  ClassInfo& operator=(const ClassInfo&) = delete;

  const std::string& Name() const { return name_; }
  const ClassInfo* Parent() const { return parent_; }
  bool InheritsFrom(const ClassInfo& other) const;
  bool InheritsFrom(std::string_view className) const;  // letter case ignored, like class names

  // Published properties, the ancestors' first, each class's in declaration order.
  std::vector<const PropertyInfo*> Properties() const;
  const PropertyInfo* FindProperty(std::string_view name) const;  // letter case ignored

 private:
  std::string name_;
  const ClassInfo* parent_;
  std::vector<PropertyInfo> properties_;
};

bool SameText(std::string_view a, std::string_view b);  // ASCII letters compared without case

// Declares the runtime class of a toolkit class; its .cpp file defines StaticClass().
#define LANTERVO_CLASS()                                \
 public:                                                \
  static const ::lantervo::ClassInfo& StaticClass();    \
  const ::lantervo::ClassInfo& Class() const override { \
    return StaticClass();                               \
  }

// Builders for property tables. T is the class that declares the property; get and set are
// member functions of T or its bases (set may be left out for read-only properties).
namespace props {

[[noreturn]] void WrongType(const std::string& expected);

template <class V>
PropertyValue ToValue(const V& value) {
  if constexpr (std::is_same_v<V, bool>) {
    return PropertyValue(std::in_place_type<bool>, value);
  } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    return PropertyValue(std::in_place_type<std::int64_t>, static_cast<std::int64_t>(value));
  } else if constexpr (std::is_pointer_v<V>) {
    return PropertyValue(std::in_place_type<Persistent*>,
                         const_cast<Persistent*>(static_cast<const Persistent*>(value)));
  } else {
    return PropertyValue(std::in_place_type<std::string>, std::string(value));
  }
}

template <class V>
V ValueAs(const PropertyValue& value) {
  if constexpr (std::is_same_v<V, std::string>) {
    if (auto* s = std::get_if<std::string>(&value)) return *s;
    WrongType("text");
  } else if constexpr (std::is_same_v<V, bool>) {
    if (auto* b = std::get_if<bool>(&value)) return *b;
    WrongType("boolean");
  } else if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
    if (auto* n = std::get_if<std::int64_t>(&value)) return static_cast<V>(*n);
    WrongType("number");
  } else {
    static_assert(std::is_pointer_v<V>);
    if (auto* p = std::get_if<Persistent*>(&value)) {
      if (*p == nullptr) return nullptr;
      if (auto* typed = dynamic_cast<V>(*p)) return typed;
    }
    WrongType("object");
  }
}

template <class T, class C, class A>
void Apply(T& self, void (C::*set)(A), const PropertyValue& value) {
  (self.*set)(ValueAs<std::decay_t<A>>(value));
}

template <class T, class Get, class Set>
PropertyInfo Make(std::string_view name, PropertyKind kind, Get get, Set set) {
  PropertyInfo info{std::string(name), kind, {}, {}};
  info.get = [get](const Persistent& self) -> PropertyValue {
    return ToValue((static_cast<const T&>(self).*get)());
  };
  if constexpr (!std::is_same_v<Set, std::nullptr_t>) {
    info.set = [set](Persistent& self, const PropertyValue& value) {
      Apply(static_cast<T&>(self), set, value);
    };
  }
  return info;
}

// The property is stored only while the predicate holds for the object.
template <class T, class Pred>
PropertyInfo StoredIf(PropertyInfo info, Pred pred) {
  info.stored = [pred](const Persistent& self) { return pred(static_cast<const T&>(self)); };
  return info;
}

template <class T, class Get, class Set = std::nullptr_t>
PropertyInfo Text(std::string_view name, Get get, Set set = nullptr) {
  return Make<T>(name, PropertyKind::Text, get, set);
}
template <class T, class Get, class Set = std::nullptr_t>
PropertyInfo Other(std::string_view name, Get get, Set set = nullptr) {
  return Make<T>(name, PropertyKind::Other, get, set);
}
template <class T, class Get, class Set = std::nullptr_t>
PropertyInfo Object(std::string_view name, Get get, Set set = nullptr) {
  return Make<T>(name, PropertyKind::Object, get, set);
}
template <class T, class Get, class Set = std::nullptr_t>
PropertyInfo Lines(std::string_view name, Get get, Set set = nullptr) {
  return Make<T>(name, PropertyKind::StringList, get, set);
}

}  // namespace props

}  // namespace lantervo
