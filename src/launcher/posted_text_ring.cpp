#include "launcher/posted_text_ring.h"

#include <cstring>

size_t CopyTextCut(char* dst, size_t capacity, const char* src) {
    if (capacity == 0) return 0;
    size_t n = src ? std::strlen(src) : 0;
    if (n > capacity - 1) {
        n = capacity - 1;
        // Back up to the start of the character that would be cut (a byte that is not a UTF-8
        // continuation byte 10xxxxxx) and leave that character out.
        const auto* s = reinterpret_cast<const unsigned char*>(src);
        if ((s[n] & 0xC0) == 0x80) {
            while (n > 0 && (s[n] & 0xC0) == 0x80) --n;
        }
    }
    if (n > 0) std::memcpy(dst, src, n);
    dst[n] = '\0';
    return n;
}

const char* PostedTextRing::Store(const char* text) {
    const uint32_t slot = next_.fetch_add(1) % kSlots;
    CopyTextCut(slots_[slot], kSlotBytes, text);
    return slots_[slot];
}

PostedTextRing& LogTextRing() {
    static PostedTextRing ring;
    return ring;
}
