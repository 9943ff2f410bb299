#include "toolkit/collection.h"

#include "platform/error.h"

namespace lantervo {

const ClassInfo& CollectionItem::StaticClass() {
  static const ClassInfo info("TCollectionItem", &Persistent::StaticClass());
  return info;
}

int CollectionItem::Index() const {
  if (!collection_) return -1;
  for (int i = 0; i < collection_->Count(); ++i)
    if (collection_->Item(i) == this) return i;
  return -1;
}

const ClassInfo& Collection::StaticClass() {
  static const ClassInfo info(
      "TCollection", &Persistent::StaticClass(),
      {props::Text<Collection>(prop::PropName, &Collection::PropName, &Collection::SetPropName)});
  return info;
}

Collection::Collection(Persistent* owner, std::string propName)
    : owner_(owner), propName_(std::move(propName)) {}

Collection::~Collection() = default;

void Collection::SetPropName(const std::string& name) {
  if (name == propName_) return;
  propName_ = name;
  Changed(prop::PropName);
}

CollectionItem* Collection::Item(int index) const {
  if (index < 0 || index >= Count())
    throw Error("List index out of bounds (" + std::to_string(index) + ")");
  return items_[static_cast<std::size_t>(index)].get();
}

void Collection::Insert(std::unique_ptr<CollectionItem> item) {
  item->collection_ = this;
  ForwardChanges(*item, prop::Items);
  items_.push_back(std::move(item));
  Changed(prop::Items);
}

void Collection::Delete(int index) {
  (void)Item(index);
  items_.erase(items_.begin() + index);
  Changed(prop::Items);
}

void Collection::Clear() {
  if (items_.empty()) return;
  items_.clear();
  Changed(prop::Items);
}

}  // namespace lantervo
