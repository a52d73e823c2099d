// Copies of UTF-8 text into fixed byte buffers.
#pragma once

#include <cstddef>

// Copies the NUL-terminated text into dest of capacity bytes (terminator included), cutting
// it, if it is too long, at the last character boundary that fits. Returns the bytes copied
// without the terminator. Nothing is written when capacity is 0.
size_t CopyUtf8Bounded(char* dest, size_t capacity, const char* text);
