#include "toolkit/class_info.h"

#include "platform/error.h"

namespace lantervo {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x -= 32;
    if (y >= 'a' && y <= 'z') y -= 32;
    if (x != y) return false;
  }
  return true;
}

ClassInfo::ClassInfo(std::string name, const ClassInfo* parent,
                     std::vector<PropertyInfo> properties)
    : name_(std::move(name)), parent_(parent), properties_(std::move(properties)) {}

bool ClassInfo::InheritsFrom(const ClassInfo& other) const {
  for (const ClassInfo* c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

bool ClassInfo::InheritsFrom(std::string_view className) const {
  for (const ClassInfo* c = this; c; c = c->parent_)
    if (SameText(c->name_, className)) return true;
  return false;
}

std::vector<const PropertyInfo*> ClassInfo::Properties() const {
  std::vector<const PropertyInfo*> all =
      parent_ ? parent_->Properties() : std::vector<const PropertyInfo*>{};
  for (const PropertyInfo& p : properties_) {
    // A redeclared property (for example one a descendant makes writable) keeps its place.
    bool replaced = false;
    for (auto& existing : all) {
      if (SameText(existing->name, p.name)) {
        existing = &p;
        replaced = true;
        break;
      }
    }
    if (!replaced) all.push_back(&p);
  }
  return all;
}

const PropertyInfo* ClassInfo::FindProperty(std::string_view name) const {
  for (const ClassInfo* c = this; c; c = c->parent_)
    for (const PropertyInfo& p : c->properties_)
      if (SameText(p.name, name)) return &p;
  return nullptr;
}

namespace props {
void WrongType(const std::string& expected) {
  throw Error("Invalid property value: " + expected + " expected");
}
}  // namespace props

}  // namespace lantervo
