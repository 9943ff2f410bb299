#pragma once
// Weak references: a holder of a plain pointer to an object it does not own asks the object for
// a WeakRef and learns from it whether the object still exists. Single-threaded: the object and
// its references live on one thread.
#include <memory>
#include <type_traits>

namespace lantervo {

template <class T>
class WeakRef;

class Weakable {
 public:
  Weakable(const Weakable&) = delete;
  Weakable& operator=(const Weakable&) = delete;

 protected:
  Weakable() : token_(std::make_shared<char>()) {}
  ~Weakable() = default;

 private:
  template <class T>
  friend WeakRef<T> MakeWeak(T& object);
  std::shared_ptr<char> token_;  // expires with the object
};

template <class T>
class WeakRef {
 public:
  WeakRef() = default;
  // A reference to a derived object is one to its base.
  template <class U>
  requires std::is_convertible_v<U*, T*> WeakRef(const WeakRef<U>& other)
      : token_(other.token_), object_(other.object_) {}
  // The object, or null once it has been destroyed.
  T* Get() const { return token_.expired() ? nullptr : object_; }
  explicit operator bool() const { return Get() != nullptr; }
  // Never set (or reset), as opposed to set to an object that has gone since.
  bool IsNull() const { return object_ == nullptr; }

 private:
  template <class U>
  friend WeakRef<U> MakeWeak(U& object);
  template <class U>
  friend class WeakRef;
  WeakRef(std::weak_ptr<char> token, T* object) : token_(std::move(token)), object_(object) {}
  std::weak_ptr<char> token_;
  T* object_ = nullptr;
};

template <class T>
WeakRef<T> MakeWeak(T& object) {
  const Weakable& base = object;
  return WeakRef<T>(base.token_, &object);
}

}  // namespace lantervo
