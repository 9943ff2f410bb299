#pragma once
// A binding keeps one Qt object in line with one toolkit object: it subscribes to the object's
// change notifications and lets go of them when either side goes first.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "toolkit/persistent.h"

namespace lantervo {

class Desktop;

namespace qt {

class Binding : public QObject {
 public:
  Binding(Persistent& object, QObject* parent);
  ~Binding() override;

  bool Alive() const { return static_cast<bool>(alive_); }
  Persistent& Object() const { return object_; }
  // Brings everything in line once (after construction, when the widget exists).
  void SyncAll() { Sync({}); }

 protected:
  // An empty name: every property.
  virtual void Sync(std::string_view property) = 0;
  // Runs user input into the component under the application-wide error handler; nothing
  // happens once the component is gone.
  void Input(Desktop* desktop, const std::function<void()>& operation);

 private:
  Persistent& object_;
  WeakRef<const Persistent> alive_;
  Subscription subscription_;
};

}  // namespace qt
}  // namespace lantervo
