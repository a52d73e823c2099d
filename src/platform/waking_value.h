// A value that a waiting thread acts on: shared like RelaxedAtomic (one side stores, the other
// loads, no lock), and every store raises the process's Wakers, so the thread that waits for a
// change is woken at once instead of finding it at its next look.
#pragma once

#include <atomic>

#include "platform/waker.h"

template <class T, std::memory_order Order = std::memory_order_relaxed>
class WakingValue {
  public:
    WakingValue() : value_(T()) {}
    WakingValue(T v) : value_(v) {}  // NOLINT: implicit on purpose, it stands in for a plain T
    WakingValue(const WakingValue& other) : value_(other.load()) {}
    WakingValue& operator=(const WakingValue& other) {
        store(other.load());
        return *this;
    }
    WakingValue& operator=(T v) {
        store(v);
        return *this;
    }
    operator T() const { return load(); }  // NOLINT

    T load() const { return value_.load(Order); }
    void store(T v) {
        value_.store(v, Order);
        RaiseWakers();
    }

  private:
    std::atomic<T> value_;
};
