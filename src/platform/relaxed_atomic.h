// A value shared between two threads without a lock: one side stores, the other loads.
// Relaxed order is enough because each value stands on its own (no value publishes another).
// Unlike std::atomic it copies, so records holding it stay value types.
#pragma once

#include <atomic>

// What a store does besides storing: nothing, for a plain shared value.
struct NoStoreHook {
    static void AfterStore() {}
};

// The shared value, with a hook run after every store (see WakingValue) and its memory order.
template <class T, class StoreHook = NoStoreHook,
          std::memory_order Order = std::memory_order_relaxed>
class SharedValue {
  public:
    SharedValue() : value_(T()) {}
    SharedValue(T v) : value_(v) {}  // NOLINT: implicit on purpose, it stands in for a plain T
    SharedValue(const SharedValue& other) : value_(other.load()) {}
    SharedValue& operator=(const SharedValue& other) {
        store(other.load());
        return *this;
    }
    SharedValue& operator=(T v) {
        store(v);
        return *this;
    }
    operator T() const { return load(); }  // NOLINT

    T load() const { return value_.load(Order); }
    void store(T v) {
        value_.store(v, Order);
        StoreHook::AfterStore();
    }

  private:
    std::atomic<T> value_;
};

template <class T>
using RelaxedAtomic = SharedValue<T>;
