#include "messages/bounded_copy.h"

#include <cstring>

size_t CopyUtf8Bounded(char* dest, size_t capacity, const char* text) {
    if (capacity == 0) return 0;
    size_t length = std::strlen(text);
    if (length > capacity - 1) {
        length = capacity - 1;
        // Step back over continuation bytes (10xxxxxx) so no character is split.
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    }
    std::memcpy(dest, text, length);
    dest[length] = '\0';
    return length;
}
