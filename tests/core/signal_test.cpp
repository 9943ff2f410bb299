// Signals and weak references: subscriptions end with either side, emission survives changes
// made by the handlers it calls, and a weak reference tells a destroyed object from a live one.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "core/signal.h"
#include "core/weak.h"

namespace lantervo {
namespace {

TEST(Signal, HandlersRunInOrderUntilTheirSubscriptionEnds) {
  Signal<int> signal;
  std::vector<int> calls;
  Subscription first = signal.Connect([&](int v) { calls.push_back(v); });
  {
    const Subscription second = signal.Connect([&](int v) { calls.push_back(v * 10); });
    signal.Emit(1);
  }
  signal.Emit(2);
  first.Reset();
  signal.Emit(3);
  EXPECT_EQ(calls, (std::vector<int>{1, 10, 2}));
  EXPECT_TRUE(signal.Empty());
}

TEST(Signal, ASubscriptionOutlivingItsSignalEndsQuietly) {
  Subscription kept;
  {
    Signal<> signal;
    kept = signal.Connect([] {});
    EXPECT_TRUE(kept.Active());
  }
  EXPECT_FALSE(kept.Active());
  kept.Reset();
}

TEST(Signal, HandlersMayEndOthersItselfAndEvenTheSignalWhileItIsEmitted) {
  auto signal = std::make_unique<Signal<>>();
  std::vector<char> calls;
  Subscription a, b, c;
  a = signal->Connect([&] {
    calls.push_back('a');
    a.Reset();  // itself
    b.Reset();  // one not yet called
  });
  b = signal->Connect([&] { calls.push_back('b'); });
  c = signal->Connect([&] {
    calls.push_back('c');
    signal.reset();  // the signal's owner goes
  });
  signal->Emit();
  EXPECT_EQ(calls, (std::vector<char>{'a', 'c'}));
  EXPECT_FALSE(c.Active());
}

TEST(Signal, AHandlerConnectedDuringAnEmissionHearsTheNextOne) {
  Signal<> signal;
  int late = 0;
  std::optional<Subscription> added;
  const Subscription adder = signal.Connect([&] {
    if (!added) added = signal.Connect([&] { ++late; });
  });
  signal.Emit();
  EXPECT_EQ(late, 0);
  signal.Emit();
  EXPECT_EQ(late, 1);
}

TEST(Signal, MovedConnectionsStayEndableThroughTheirSubscriptions) {
  Signal<int> from;
  int sum = 0;
  Subscription s = from.Connect([&](int v) { sum += v; });
  Signal<int> to(std::move(from));
  from.Emit(100);  // left empty
  to.Emit(1);
  s.Reset();
  to.Emit(1);
  EXPECT_EQ(sum, 1);
}

struct Base : Weakable {
  virtual ~Base() = default;
};
struct Derived : Base {};

TEST(WeakRef, ExpiresWithItsObjectAndConvertsToABase) {
  WeakRef<Base> base;
  EXPECT_TRUE(base.IsNull());
  EXPECT_EQ(base.Get(), nullptr);
  {
    Derived d;
    const WeakRef<Derived> ref = MakeWeak(d);
    base = ref;
    EXPECT_EQ(ref.Get(), &d);
    EXPECT_EQ(base.Get(), static_cast<Base*>(&d));
  }
  EXPECT_EQ(base.Get(), nullptr);
  EXPECT_FALSE(base);
  EXPECT_FALSE(base.IsNull()) << "set once, to an object that has gone since";
}

}  // namespace
}  // namespace lantervo
