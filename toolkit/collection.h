#pragma once
// Collections: owned lists of items of one class, held by a property of their owner.
#include <memory>
#include <string>
#include <vector>

#include "toolkit/persistent.h"

namespace lantervo {

class Collection;

class CollectionItem : public Persistent {
  LANTERVO_CLASS()

 public:
  Collection* GetCollection() const { return collection_; }
  int Index() const;

 private:
  friend class Collection;
  Collection* collection_ = nullptr;
};

class Collection : public Persistent {
  LANTERVO_CLASS()

 public:
  // owner: the object whose property holds the collection; propName: that property's name.
  Collection(Persistent* owner, std::string propName);
  ~Collection() override;

  Persistent* Owner() const { return owner_; }
  // The name of the owner's property that holds this collection.
  const std::string& PropName() const { return propName_; }
  void SetPropName(const std::string& name);

  int Count() const { return static_cast<int>(items_.size()); }
  CollectionItem* Item(int index) const;
  template <class T, class... Args>
  T& Add(Args&&... args) {
    auto item = std::make_unique<T>(std::forward<Args>(args)...);
    T& result = *item;
    Insert(std::move(item));
    return result;
  }
  void Delete(int index);
  void Clear();

 protected:
  void Insert(std::unique_ptr<CollectionItem> item);

 private:
  Persistent* owner_;
  std::string propName_;
  std::vector<std::unique_ptr<CollectionItem>> items_;
};

}  // namespace lantervo
