// A value that a waiting thread acts on: shared like RelaxedAtomic (one side stores, the other
// loads, no lock), and every store raises the process's Wakers, so the thread that waits for a
// change is woken at once instead of finding it at its next look.
#pragma once

#include <atomic>

#include "platform/relaxed_atomic.h"
#include "platform/waker.h"

struct RaiseWakersOnStore {
    static void AfterStore() { RaiseWakers(); }
};

template <class T, std::memory_order Order = std::memory_order_relaxed>
using WakingValue = SharedValue<T, RaiseWakersOnStore, Order>;
