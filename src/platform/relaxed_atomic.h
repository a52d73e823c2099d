// A value shared between two threads without a lock: one side stores, the other loads.
// Relaxed order is enough because each value stands on its own (no value publishes another).
// Unlike std::atomic it copies, so records holding it stay value types.
#pragma once

#include <atomic>

template <class T>
class RelaxedAtomic {
  public:
    RelaxedAtomic() : value_(T()) {}
    RelaxedAtomic(T v) : value_(v) {}  // NOLINT: implicit on purpose, it stands in for a plain T
    RelaxedAtomic(const RelaxedAtomic& other) : value_(other.load()) {}
    RelaxedAtomic& operator=(const RelaxedAtomic& other) {
        store(other.load());
        return *this;
    }
    RelaxedAtomic& operator=(T v) {
        store(v);
        return *this;
    }
    operator T() const { return load(); }  // NOLINT

    T load() const { return value_.load(std::memory_order_relaxed); }
    void store(T v) { value_.store(v, std::memory_order_relaxed); }

  private:
    std::atomic<T> value_;
};
