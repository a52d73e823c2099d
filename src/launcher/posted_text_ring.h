// The ring of fixed text slots through which any thread hands a text to the launcher's log:
// 64 slots of 512 bytes. A slot keeps its text until 64 further texts have been posted, which is
// the time the window has to take it. Posting copies into a slot and never allocates or waits.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// Copies src into dst (capacity bytes, at least 1), NUL-terminated. A text longer than
// capacity - 1 bytes is cut on a UTF-8 character boundary. Returns the bytes copied.
size_t CopyTextCut(char* dst, size_t capacity, const char* src);

class PostedTextRing {
  public:
    static constexpr int kSlots = 64;
    static constexpr int kSlotBytes = 512;

    // Copies text (cut at 511 bytes) into the next slot and returns the slot. Two threads
    // storing at the same moment get different slots.
    const char* Store(const char* text);

    // The slot that the next Store takes (0..63).
    int NextSlot() const { return static_cast<int>(next_.load() % kSlots); }
    const char* Slot(int i) const { return slots_[i]; }

  private:
    // Counts every post; the slot is the count modulo 64, so it wraps after slot 63 (2^32 is a
    // multiple of 64, so the wrap of the count itself keeps the order).
    std::atomic<uint32_t> next_{0};
    char slots_[kSlots][kSlotBytes] = {};
};

// The one ring of the process.
PostedTextRing& LogTextRing();
