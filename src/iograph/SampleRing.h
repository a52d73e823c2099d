// A fixed ring of the most recent samples of one trace. Samples are only appended and the ring
// is only emptied as a whole, so head never falls behind tail while the ring is not full.
#pragma once

#include <memory>
#include <new>

template <class T>
struct SampleRing {
    std::unique_ptr<T[]> items;  // capacity samples; null when no storage could be had
    int head = 0;                // slot the next sample goes to
    int tail = 0;                // slot of the oldest stored sample
    int capacity = 0;
    bool overwrite = false;  // when full: true drops the oldest sample, false the new one
    bool full = false;       // head has caught up with tail after a write

    // Allocates count samples; false (and no storage) when memory is short.
    bool Allocate(int count) {
        items.reset(count > 0 ? new (std::nothrow) T[count]() : nullptr);
        capacity = items ? count : 0;
        head = tail = 0;
        full = false;
        return items != nullptr;
    }

    bool HasStorage() const { return items != nullptr && capacity > 0; }

    int Count() const { return full ? capacity : head - tail; }

    // Sample k, counted from the oldest stored one (k = 0). k must lie below capacity.
    T At(int k) const { return items[(k + tail) % capacity]; }

    void Push(T value) {
        if (!HasStorage()) return;
        if (full) {
            if (!overwrite) return;
            tail = (tail + 1) % capacity;
            full = false;
        }
        items[head] = value;
        head = (head + 1) % capacity;
        if (head == tail) full = true;
    }

    void Clear() {
        head = 0;
        tail = 0;
        full = false;
    }
};
